// The report parsers with literal TA replies.
#include "fragments.h"
#include "replyparsers.h"

#include "qtprint.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {
StoredReplies withAti12(const QString &text)
{
    StoredReplies r;
    r.ati12 = text;
    return r;
}
} // namespace

TEST(KeywordLookup, FindsValueWithOrWithoutEqualsSign)
{
    EXPECT_EQ(keywordValue(withAti12("Switch Settings\r\n*W =2 EuroISDN\r\nOK"), "*W", "ati12"), "2");
    EXPECT_EQ(keywordValue(withAti12("Switch Settings\r\n*W 2 x\r\nOK"), "*W", "ati12"), "2");
    EXPECT_EQ(keywordValue(withAti12("Switch Settings *W=12 \r\nOK"), "*W", "ati12"), "12");
}

TEST(KeywordLookup, MissingReplyGivesZeroMissingKeywordGivesEmpty)
{
    StoredReplies none;
    EXPECT_EQ(keywordValue(none, "*W", "ati12"), "0");
    EXPECT_EQ(keywordValue(withAti12("Switch Settings\r\nOK"), "*W", "ati12"), "");
    // Unknown query names have no reply at all.
    EXPECT_EQ(keywordValue(withAti12("*W =2 "), "*W", "ati7"), "0");
    // A value with no blank after it (the reply's last character is dropped) is empty.
    EXPECT_EQ(keywordValue(withAti12("*W =2"), "*W", "ati12"), "");
    // A blank right after "=" gives an empty value.
    EXPECT_EQ(keywordValue(withAti12("*C1 = *C2 =5 "), "*C1", "ati12"), "");
}

TEST(KeywordLookup, FirstOccurrenceAndCaseSensitive)
{
    const StoredReplies r = withAti12("*S =1 *S1 =0155 *S2 =0166 \r\nOK");
    EXPECT_EQ(keywordValue(r, "*S", "ati12"), "1");
    EXPECT_EQ(keywordValue(r, "*S2", "ati12"), "0166");
    EXPECT_EQ(keywordValue(withAti12("*w =3 "), "*W", "ati12"), "");
    EXPECT_EQ(toNumber("abc"), 0);
    EXPECT_EQ(toNumber(""), 0);
    EXPECT_EQ(toNumber("7"), 7);
}

TEST(HardwareProfile, CountryModelAndLeasedLine)
{
    const QString reply = "Varnel Brenmoor ISDN Hardware Profile\r\nProduct type  Germany Internal\r\n"
                          "Product ID    00524001\r\nSerial Number 1\r\nOK";
    HardwareProfile p = parseHardwareProfile(reply, QString(), false);
    EXPECT_EQ(p.countryName, "Germany Internal");
    EXPECT_FALSE(p.model5241);
    EXPECT_TRUE(p.leasedLineCapable);

    // The country is kept unless empty or just changed.
    p = parseHardwareProfile(reply, "US/Canada External", false);
    EXPECT_EQ(p.countryName, "US/Canada External");
    p = parseHardwareProfile(reply, "US/Canada External", true);
    EXPECT_EQ(p.countryName, "Germany Internal");

    p = parseHardwareProfile("Product ID    00524000\r\nOK", "x", false);
    EXPECT_FALSE(p.leasedLineCapable);
    p = parseHardwareProfile("Product ID    00524100\r\nOK", "x", false);
    EXPECT_TRUE(p.model5241);
    // "5241" after the product ID line does not count.
    p = parseHardwareProfile("Product ID 00524000\r\nSerial 5241\r\nOK", "x", false);
    EXPECT_FALSE(p.model5241);
}

TEST(HardwareProfile, WorkingCopyIsLimited)
{
    const QString reply = QString(1100, QLatin1Char('x')) + "Product ID 00524101\r\nOK";
    EXPECT_FALSE(parseHardwareProfile(reply, "x", false).model5241);
}

TEST(CallForwarding, ThreeBlocksOfFourLines)
{
    QString reply = "Call Forwarding\r\n";
    for (int m = 1; m <= 3; ++m) {
        reply += QString("MSN%1\r\n").arg(m);
        reply += QString("Unconditional# :55520%1 Enabled  Disabled\r\n").arg(m);
        reply += "Busy#          : Disabled Enabled\r\n";
        reply += "No Response#   :5559999 Disabled Disabled\r\n";
        reply += "Deflection#    : Disabled Disabled\r\n";
    }
    reply += "\r\nOK";
    const ForwardingList list = parseCallForwarding(reply, "Enabled", "Disabled");
    EXPECT_EQ(list.linesParsed, 12);
    EXPECT_EQ(list.msn[1][FwdUnconditional].number, "555202");
    EXPECT_TRUE(list.msn[1][FwdUnconditional].userEnabled);
    EXPECT_FALSE(list.msn[1][FwdUnconditional].networkEnabled);
    EXPECT_EQ(list.msn[2][FwdBusy].number, "");
    EXPECT_FALSE(list.msn[2][FwdBusy].userEnabled);
    EXPECT_TRUE(list.msn[2][FwdBusy].networkEnabled);
    EXPECT_EQ(list.msn[0][FwdNoResponse].number, "5559999");
}

TEST(CallForwarding, StopsAtFirstMissingLine)
{
    const QString reply = "Unconditional# :1 Enabled  Enabled\r\nBusy#          :2 Enabled  Enabled\r\nOK";
    const ForwardingList list = parseCallForwarding(reply, "Enabled", "Disabled");
    EXPECT_EQ(list.linesParsed, 2);
    EXPECT_EQ(list.msn[0][FwdBusy].number, "2");
    EXPECT_EQ(list.msn[0][FwdNoResponse].number, "");
    // A line without its CR LF is not taken.
    EXPECT_EQ(parseCallForwarding("Unconditional# :1 Enabled", "Enabled", "Disabled").linesParsed, 0);
}

TEST(CallScreening, HeaderMarksAndColumns)
{
    //            0         1         2         3         4         5
    //            0123456789012345678901234567890123456789012345678901
    QString reply = "Call Screening\r\nEntry Number              -ADP1 ADP2 -DDP\r\n";
    reply += "01:5551234                   X                 X\r\n";
    reply += "02:  5559876                          X\r\n";
    reply += "03:\r\n";
    reply += "\r\nOK";
    const ScreeningList list = parseCallScreening(reply);
    EXPECT_TRUE(list.rejectListed[0]);
    EXPECT_FALSE(list.rejectListed[1]);
    EXPECT_TRUE(list.rejectListed[2]);
    EXPECT_EQ(list.entriesParsed, 3);
    EXPECT_EQ(list.entries[0].number, "5551234");
    EXPECT_TRUE(list.entries[0].listed[0]);
    EXPECT_FALSE(list.entries[0].listed[1]);
    EXPECT_TRUE(list.entries[0].listed[2]);
    EXPECT_EQ(list.entries[1].number, "5559876");
    // A mark in port 2's column is not taken for port 1.
    EXPECT_FALSE(list.entries[1].listed[0]);
    EXPECT_TRUE(list.entries[1].listed[1]);
    EXPECT_EQ(list.entries[2].number, "");
    EXPECT_FALSE(list.entries[2].listed[0]);
}

TEST(CallScreening, WithoutHeaderNothingIsRead)
{
    const ScreeningList list = parseCallScreening("01:5551234   X\r\nOK");
    EXPECT_FALSE(list.headerFound);
    EXPECT_EQ(list.entriesParsed, 0);
}

TEST(CountryList, EntriesOfOneOrMoreWords)
{
    const QStringList entries =
        parseCountryList("00:US/Canada\r\n01:Germany\r\n02:United Kingdom\r\n03:Bosnia and Herzegovina\r\n04:Spain\r\n\r\nOK");
    EXPECT_EQ(entries, (QStringList{"00:US/Canada", "01:Germany", "02:United Kingdom",
                                    "03:Bosnia and Herzegovina", "04:Spain"}));
    EXPECT_TRUE(parseCountryList("").isEmpty());
    EXPECT_TRUE(parseCountryList("OK").isEmpty());
    EXPECT_EQ(countryDisplayName("US/Canada External"), "US/Canada");
    EXPECT_EQ(countryDisplayName("Germany Internal"), "Germany");
    EXPECT_EQ(countryDisplayName("France"), "France");
}

TEST(Clock, TimeAndDateCommands)
{
    EXPECT_EQ(timeCommand(QTime(9, 5, 7)), "AT#T=9:5:7\r");
    EXPECT_EQ(dateCommand(QDate(2001, 4, 3), true), "AT#D=4:3:01\r");
    EXPECT_EQ(dateCommand(QDate(2001, 4, 3), false), "AT#D=3:4:01\r");
}

TEST(DeviceStatus, BetweenLabelAndOk)
{
    EXPECT_EQ(deviceStatus("Switch Settings\r\nDevice Status:  Looking for ISDN Line \r\n\r\nOK"),
              "Looking for ISDN Line");
    EXPECT_EQ(deviceStatus("Switch Settings\r\nOK"), "");
}

TEST(FragmentTable, EveryEntryInOrder)
{
    // The table as the TA's command set defines it, written out on its own.
    static const char *const expected[] = {
        "#T", "#D", "*VO=1S67.1=0", "*VO=5S67.1=0*PPP=4", "*VO=5S67.1=0*PPP=2", "*VO=5S67.1=0*PPP=3",
        "*VO=7", "*PPP=0*VO=8", "*VO=6", "*W", "*P0", "*P1", "*P2", "*P3", "*S", "*S1", "*S2", "*T1",
        "*T2", "S67", "*A", "*VI", "*R", "S69", "*VO", "S67", "#R1", "#R2", "#I1", "#I2", "#B1", "#B2",
        "#VR1", "#VR2", "#VT1", "#VT2", "#S1", "#S2", "*E", "#A1", "#A2", "#C1", "#C2", "#D1", "#D2",
        "#F1", "#F2", "#T1", "#T2", "#W1", "#W2", "*C0", "*PD", "*TD", "*Y", "*A0", "*A1", "*D1", "*A2",
        "*D2", "*A3", "*D3", "*A4", "*D4",
        "*D1=5*D2=180*D3=75*D4=50*A1=10*A2=360*A3=40*A4=5",
        "*D1=10*D2=120*D3=75*D4=50*A1=15*A2=180*A3=75*A4=10",
        "*PPP", "*K", "*U", "*B", "*C1", "*C2", "&F",
        "Unconditional# :", "Busy#          :", "No Response#   :", "Deflection#    :",
        "#GU", "#GB", "#GR", "#GD", "#EU", "#EB", "#ER", "#ED",
        "01:", "02:", "03:", "04:", "05:", "06:", "07:", "08:", "09:", "10:",
        "11:", "12:", "13:", "14:", "15:", "16:", "17:", "18:", "19:", "20:",
        "@Z", "@X1", "@X2", "@X3", "@D1", "@D2", "@D3", "@A1", "@A2", "@A3",
        "*PPP=0*PPP=2S67=0", "*PPP=0S67=0", "*PPP=0S67=0*A=1Z!", "*PPP=0*VO=8S67=0", "*VO=6S67=0",
        "*VO=1S67=0", "*X0", "*X1", "*X2", "*X3", "*M"};
    static_assert(std::size(expected) == 126);
    ASSERT_EQ(kFragments.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_STREQ(kFragments[i], expected[i]) << "entry " << i;
    // The names the code uses point at their texts.
    EXPECT_STREQ(kFragments[F_SwitchType], "*W");
    EXPECT_STREQ(kFragments[F_Outgoing4], "*VO=6");
    EXPECT_STREQ(kFragments[F_S67b], "S67");
    EXPECT_STREQ(kFragments[F_PresetConservative], "*D1=10*D2=120*D3=75*D4=50*A1=15*A2=180*A3=75*A4=10");
    EXPECT_STREQ(kFragments[F_FwdBusy], "Busy#          :");
    EXPECT_STREQ(kFragments[F_Entry01 + 19], "20:");
    EXPECT_STREQ(kFragments[F_ScreenList3], "@A3");
    EXPECT_STREQ(kFragments[F_Profile0], "*PPP=0*PPP=2S67=0");
    EXPECT_STREQ(kFragments[F_X75Layer3], "*X3");
    EXPECT_STREQ(kFragments[F_BusConfig], "*M");
}
