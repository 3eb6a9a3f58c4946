// The ISDN line page: reading from literal switch and TA settings replies and
// the lines each switch type's set writes, with their slots.
#include "linesettings.h"

#include "qtprint.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

StoredReplies lineReplies(const char *switchSettings, const char *taSettings = "S67 =6 ")
{
    StoredReplies r;
    r.ati12 = QStringLiteral("\r\nSwitch Settings\r\n") + QLatin1String(switchSettings) +
              QStringLiteral(" \r\nDevice Status: Ready\r\n\r\nOK\r\n");
    r.ati4 = QStringLiteral("\r\nTA Settings\r\n") + QLatin1String(taSettings) + QStringLiteral("\r\n\r\nOK\r\n");
    return r;
}

const char *const kDomestic = "*W =2 *P0 =555 *P1 =5551001 *P2 =5551002 *P3 = *S =0 *S1 =01555100100 "
                              "*S2 =01555100200 *T1 =255 *T2 =255 *M =0";

} // namespace

TEST(LinePage, ReadFromSwitchAndTaSettings)
{
    LineSettings s = readLine(lineReplies(kDomestic, "S67 =22 "));
    EXPECT_EQ(s.switchIndex, 2);
    EXPECT_EQ(s.bandwidth, 0);
    EXPECT_EQ(s.areaCode, "555");
    EXPECT_EQ(s.number2, "5551002");
    EXPECT_TRUE(s.number3.isEmpty());
    EXPECT_EQ(s.spid1, "01555100100");
    EXPECT_FALSE(s.autoSpid);
    EXPECT_EQ(s.tei1, kAutomaticTei);
    EXPECT_TRUE(s.dataLinkDelay);   // bit 4 of 22

    s = readLine(lineReplies("*W =8 *S =1 *T1 =12 *T2 =70 *M =1", "S67 =6 "));
    EXPECT_EQ(s.switchIndex, kIdslSwitchIndex);
    EXPECT_EQ(s.bandwidth, 8);
    EXPECT_TRUE(s.autoSpid);
    EXPECT_EQ(s.tei1, 12);
    EXPECT_EQ(s.tei2, 63);          // shown clamped to 63
    EXPECT_EQ(s.busConfig, 1);
    EXPECT_FALSE(s.dataLinkDelay);
}

TEST(LinePage, SwitchTypeOfTheIdslEntry)
{
    EXPECT_EQ(switchIndexFor(6), kIdslSwitchIndex);
    EXPECT_EQ(switchIndexFor(7), kIdslSwitchIndex);
    EXPECT_EQ(switchIndexFor(5), 5);
    EXPECT_EQ(switchTypeFor(3, 2), 3);
    EXPECT_EQ(switchTypeFor(kIdslSwitchIndex, 3), 7);
    EXPECT_EQ(switchTypeFor(kIdslSwitchIndex, 8), 7);
    EXPECT_EQ(switchTypeFor(kIdslSwitchIndex, 6), 6);
    EXPECT_EQ(switchTypeFor(kIdslSwitchIndex, 7), 6);
}

TEST(LinePage, DomesticSetWritesEachChangeOnItsOwnLine)
{
    const LineSettings read = readLine(lineReplies(kDomestic));
    EXPECT_TRUE(composeLine(read, read, 2).isEmpty());

    LineSettings cur = read;
    cur.areaCode = "556";
    cur.number3 = "5551003";   // not part of the domestic set
    cur.autoSpid = true;
    cur.spid2 = "01555100299";
    cur.tei1 = 63;
    cur.busConfig = 1;         // not part of the domestic set
    cur.dataLinkDelay = true;
    const QList<SlotLine> expected = {{5, "AT*P0=556\r", false},
                                      {9, "AT*S=1\r", true},
                                      {11, "AT*S2=01555100299\r", false},
                                      {12, "AT*T1=63\r", true},
                                      {3, "ATS67.4=1\r", false}};
    EXPECT_EQ(composeLine(cur, read, 2), expected);
}

TEST(LinePage, SwitchToEuroIsdnWritesTheEuropeanSet)
{
    const LineSettings read = readLine(lineReplies(kDomestic));
    LineSettings cur = read;
    cur.switchIndex = 0;
    EXPECT_EQ(composeLine(cur, read, 2), (QList<SlotLine>{{4, "AT*W=0\r", true}}));

    cur.number3 = "5551003";
    cur.spid1 = "1";            // SPIDs belong to the domestic set only
    cur.tei2 = 5;
    cur.busConfig = 1;
    cur.tei1 = 20;
    const QList<SlotLine> expected = {{4, "AT*W=0\r", true},
                                      {8, "AT*P3=5551003\r", false},
                                      {12, "AT*T1=20\r", true},
                                      {14, "AT*M=1\r", false}};
    EXPECT_EQ(composeLine(cur, read, 2), expected);
}

TEST(LinePage, LeasedLineWritesOnlyTheSwitchType)
{
    // National ISDN-2 to IDSL: 128K.
    const LineSettings ni2 = readLine(lineReplies("*W =3 *P0 =555"));
    LineSettings cur = ni2;
    cur.switchIndex = kIdslSwitchIndex;
    cur.bandwidth = 7;
    cur.areaCode = "556";
    EXPECT_EQ(composeLine(cur, ni2, 3), (QList<SlotLine>{{4, "AT*W=7\r", true}}));

    // On a leased line a newly chosen bandwidth is the switch type.
    const LineSettings leased = readLine(lineReplies("*W =7"));
    EXPECT_TRUE(composeLine(leased, leased, 7).isEmpty());
    cur = leased;
    cur.bandwidth = 8;
    EXPECT_EQ(composeLine(cur, leased, 7), (QList<SlotLine>{{4, "AT*W=8\r", true}}));
}
