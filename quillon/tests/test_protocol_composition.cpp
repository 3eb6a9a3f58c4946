// The PPP, dynamic bandwidth and X.75 pages: reading from literal replies and
// the exact command lines composed from the differences.
#include "protocolsettings.h"

#include "qtprint.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

StoredReplies pppReplies(const char *settings)
{
    StoredReplies r;
    r.ati16 = QStringLiteral("\r\nData Protocol Settings\r\n") + QLatin1String(settings) +
              QStringLiteral(" \r\n\r\nOK\r\n");
    return r;
}

} // namespace

TEST(PppPage, ReadFromDataProtocolReply)
{
    PppSettings s = readPpp(pppReplies("*VO =5 *PPP =4 *K =2 *U =0 *B =1 *C1 =9 *C2 =81"));
    EXPECT_EQ(s.mode, 3);   // "*PPP" minus 1
    EXPECT_EQ(s.compression, 2);
    EXPECT_EQ(s.endpoint, 0);
    EXPECT_TRUE(s.endpointText.isEmpty());
    EXPECT_TRUE(s.bacp);
    EXPECT_EQ(s.localPrefix, "9");
    EXPECT_EQ(s.longDistPrefix, "81");

    // 0 stays 0; empty prefixes stay empty; BACP/BAP only for exactly 1.
    s = readPpp(pppReplies("*PPP =0 *K =1 *B =2 *C1 = *C2 = "));
    EXPECT_EQ(s.mode, 0);
    EXPECT_FALSE(s.bacp);
    EXPECT_TRUE(s.localPrefix.isEmpty());
    EXPECT_TRUE(s.longDistPrefix.isEmpty());

    // A discriminator class above 0 brings its value from the "Value" line.
    StoredReplies r;
    r.ati16 = "\r\nData Protocol Settings\r\n*PPP =2 *K =1 *U =3 *B =0 \r\nEndpoint Value   4711 \r\n\r\nOK\r\n";
    s = readPpp(r);
    EXPECT_EQ(s.endpoint, 3);
    EXPECT_EQ(s.endpointText, "4711");
}

TEST(PppPage, UnchangedWritesNothing)
{
    const PppSettings read = readPpp(pppReplies("*PPP =2 *K =1 *U =0 *B =1 *C1 =9 *C2 =81"));
    EXPECT_EQ(composePpp(read, read), "AT\r");
    EXPECT_EQ(composePppLongDistance(read, read), "AT\r");
}

TEST(PppPage, ChangedSettingsInFragmentOrder)
{
    const PppSettings read = readPpp(pppReplies("*PPP =2 *K =1 *U =0 *B =0 *C1 = *C2 = "));
    PppSettings cur = read;
    cur.mode = 3;
    cur.compression = 0;
    EXPECT_EQ(composePpp(cur, read), "AT*PPP=4*K=0\r");

    cur = read;
    cur.endpoint = 2;
    cur.endpointText = "1234";
    EXPECT_EQ(composePpp(cur, read), "AT*U=2,1234\r");

    cur.bacp = true;
    cur.localPrefix = "9";
    cur.longDistPrefix = "01";
    EXPECT_EQ(composePpp(cur, read), "AT*U=2,1234*B=1*C1=9\r");
    EXPECT_EQ(composePppLongDistance(cur, read), "AT*C2=01\r");
}

TEST(PppPage, EndpointTextChangeAloneRewritesTheDiscriminator)
{
    StoredReplies r;
    r.ati16 = "Data Protocol Settings *PPP =2 *U =5 \r\nValue 5551000\r\nOK";
    const PppSettings read = readPpp(r);
    PppSettings cur = read;
    cur.endpointText = "5552000";
    EXPECT_EQ(composePpp(cur, read), "AT*U=5,5552000\r");
    cur.endpoint = 0;
    EXPECT_EQ(composePpp(cur, read), "AT*U=0\r");
}

TEST(PppPage, PrefixesGoOnlyWhileBacpIsEnabled)
{
    const PppSettings read = readPpp(pppReplies("*PPP =2 *B =0 *C1 =1 *C2 =2"));
    PppSettings cur = read;
    cur.localPrefix = "9";
    cur.longDistPrefix = "0";
    EXPECT_EQ(composePpp(cur, read), "AT\r");
    EXPECT_EQ(composePppLongDistance(cur, read), "AT\r");

    // Switching BACP/BAP off sends the switch, not the prefixes.
    const PppSettings on = readPpp(pppReplies("*PPP =2 *B =1 *C1 =1 *C2 =2"));
    cur = on;
    cur.bacp = false;
    cur.longDistPrefix = "7";
    EXPECT_EQ(composePpp(cur, on), "AT*B=0\r");
    EXPECT_EQ(composePppLongDistance(cur, on), "AT\r");
}

TEST(PppPage, EndpointValueCheck)
{
    PppSettings s;
    EXPECT_TRUE(endpointValid(s));
    s.endpoint = 1;
    for (const char *bad : {"", "0", "12a", "abc"}) {
        s.endpointText = bad;
        EXPECT_FALSE(endpointValid(s)) << bad;
    }
    s.endpointText = "42";
    EXPECT_TRUE(endpointValid(s));
}

TEST(ThresholdPage, ReadAndComposeInFragmentOrder)
{
    const StoredReplies r = pppReplies("*A0 =2 *A1 =15 *A2 =180 *A3 =75 *A4 =10 *D1 =10 *D2 =120 *D3 =75 *D4 =50");
    const ThresholdSettings read = readThresholds(r);
    EXPECT_EQ(read.values, (std::array<int, 8>{15, 180, 75, 10, 10, 120, 75, 50}));
    EXPECT_EQ(composeThresholds(read, read), "AT\r");

    ThresholdSettings cur = read;
    cur.values[6] = 80;          // 2nd B channel threshold to add
    cur.values[1] = 2 * 60 + 5;  // 1st B channel sample time to drop
    cur.values[0] = 0;
    EXPECT_EQ(composeThresholds(cur, read), "AT*A1=0*A2=125*D3=80\r");
}

TEST(ThresholdPage, ReadValuesKeepTheirRanges)
{
    const ThresholdSettings s = readThresholds(pppReplies("*A1 =2000 *A3 =0 *A4 =250 *D1 =-5"));
    EXPECT_EQ(s.values[0], 15 * 60 + 59);
    EXPECT_EQ(s.values[2], 1);
    EXPECT_EQ(s.values[3], 100);
    EXPECT_EQ(s.values[4], 0);
}

TEST(X75Page, ReadAndCompose)
{
    StoredReplies r;
    r.ati4 = "\r\nTA Settings\r\nS67 =6 S69 =128 *X0 =2048 *X1 =7 *X3 =2 \r\n\r\nOK\r\n";
    const X75Settings read = readX75(r);
    EXPECT_EQ(read.frameSize, 2048);
    EXPECT_EQ(read.windowSize, 7);
    EXPECT_EQ(read.layer3, 1);
    EXPECT_EQ(composeX75(read, read), "AT\r");

    X75Settings cur = read;
    cur.frameSize = 256;
    cur.layer3 = 2;
    EXPECT_EQ(composeX75(cur, read), "AT*X0=256*X3=4\r");
    cur = read;
    cur.windowSize = 2;
    cur.layer3 = 0;
    EXPECT_EQ(composeX75(cur, read), "AT*X1=2*X3=1\r");

    // Layer 3 values other than 1, 2 and 4 show as "Transparent".
    r.ati4 = "TA Settings *X0 =128 *X1 =2 *X3 =3 \r\nOK";
    EXPECT_EQ(readX75(r).layer3, 0);
    r.ati4 = "TA Settings *X3 =4 \r\nOK";
    EXPECT_EQ(readX75(r).layer3, 2);
}

TEST(AodiPage, ReadFromSwitchAndDataProtocolReplies)
{
    StoredReplies r;
    r.ati12 = "Switch Settings *W =2 *A =1 *C0 =ABCD *PD =5550100 *TD =12 *Y =1 \r\nOK";
    r.ati16 = "Data Protocol Settings *A0 =2 *A1 =15 \r\nOK";
    AodiSettings s = readAodi(r);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.carrier, "ABCD");
    EXPECT_EQ(s.number, "5550100");
    EXPECT_EQ(s.tei, 12);
    EXPECT_EQ(s.bandwidth, 2);
    EXPECT_TRUE(s.reverseCharge);

    // A TEI of 64 or more is automatic.
    r.ati12 = "Switch Settings *A =0 *C0 = *PD = *TD =64 *Y =0 \r\nOK";
    s = readAodi(r);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.tei, kAutomaticTei);
    EXPECT_TRUE(s.carrier.isEmpty());
}

TEST(AodiPage, ChangedSettingsGoToTheirSlots)
{
    AodiSettings read;
    read.enabled = true;
    EXPECT_TRUE(composeAodi(read, read).isEmpty());

    AodiSettings cur = read;
    cur.bandwidth = 1;
    cur.reverseCharge = true;
    cur.carrier = "10XX";
    cur.number = "5550100";
    cur.tei = kFirstFixedAodiTei;
    const QList<SlotLine> expected = {{19, "AT*A0=1*Y=1\r", false},
                                      {20, "AT*C0=10XX\r", true},
                                      {21, "AT*PD=5550100\r", true},
                                      {22, "AT*TD=21\r", true}};
    EXPECT_EQ(composeAodi(cur, read), expected);
}

TEST(AodiPage, PacketSettingsOnlyWhileEnabled)
{
    AodiSettings read;
    read.enabled = true;
    AodiSettings cur = read;
    cur.enabled = false;
    cur.number = "5550100";
    cur.bandwidth = 2;
    EXPECT_EQ(composeAodi(cur, read), (QList<SlotLine>{{2, "AT*A=0\r", true}}));

    read.enabled = false;
    cur.enabled = true;
    cur.tei = kAutomaticTei;
    EXPECT_EQ(composeAodi(cur, read),
              (QList<SlotLine>{{2, "AT*A=1\r", true}, {19, "AT*A0=2\r", false}, {21, "AT*PD=5550100\r", true}}));
}
