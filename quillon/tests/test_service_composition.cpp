// Call forwarding and call screening: literal ati20 and ati19 replies read by
// the parsers, edits on the lists, and the exact lines with their slots.
#include "servicesettings.h"

#include "qtprint.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

ForwardingList forwarding()
{
    QString reply = "\r\nCall Forwarding\r\n";
    for (int m = 0; m < 3; ++m)
        reply += QStringLiteral("Unconditional# :5552000 Enabled  Disabled\r\n"
                                "Busy#          : Disabled Disabled\r\n"
                                "No Response#   :5553000 Disabled Enabled\r\n"
                                "Deflection#    : Disabled Disabled\r\n");
    return parseCallForwarding(reply + "\r\nOK\r\n", "Enabled", "Disabled");
}

ScreeningList screening()
{
    //                            0         1         2         3         4         5
    //                            0123456789012345678901234567890123456789012345678901
    QString reply = "\r\nCall Screening\r\nEntry Number                    -ADP1    ADP2     DDP\r\n";
    reply += "01:5551234                     X                 X\r\n";
    reply += "02:\r\n03:\r\n04:\r\n";
    reply += "05:5555555                     X\r\n";
    return parseCallScreening(reply + "\r\nOK\r\n");
}

} // namespace

TEST(CallForwardingPage, UnchangedWritesNothing)
{
    const ForwardingList read = forwarding();
    ASSERT_EQ(read.linesParsed, 12);
    EXPECT_TRUE(composeForwarding(read, read).isEmpty());
}

TEST(CallForwardingPage, EnablingUnconditionalForwardingOfMsn2)
{
    ForwardingList read = forwarding();
    read.msn[1][FwdUnconditional] = {};
    ForwardingList cur = read;
    cur.msn[1][FwdUnconditional].number = "5557000";
    cur.msn[1][FwdUnconditional].userEnabled = true;
    EXPECT_EQ(composeForwarding(cur, read),
              (QList<SlotLine>{{36, "AT#GU2=5557000\r", false}, {37, "AT#EU2=1\r", false}}));
}

TEST(CallForwardingPage, SlotsOfEachKindAndMsn)
{
    const ForwardingList read = forwarding();
    ForwardingList cur = read;
    cur.msn[0][FwdBusy].number = "1";                 // number only: both lines
    cur.msn[0][FwdNoResponse].userEnabled = true;     // enable only: both lines
    cur.msn[2][FwdDeflection].number = "2";
    cur.msn[2][FwdDeflection].userEnabled = true;
    const QList<SlotLine> expected = {{24, "AT#GB1=1\r", false},       {25, "AT#EB1=0\r", false},
                                      {26, "AT#GR1=5553000\r", false}, {27, "AT#ER1=1\r", false},
                                      {46, "AT#GD3=2\r", false},       {47, "AT#ED3=1\r", false}};
    EXPECT_EQ(composeForwarding(cur, read), expected);
}

TEST(CallForwardingPage, BoxWithoutNumberOrCheckIsUnusable)
{
    ForwardEntry e;
    EXPECT_FALSE(forwardBoxUsable(e));
    e.number = "1";
    EXPECT_TRUE(forwardBoxUsable(e));
    e.number.clear();
    e.userEnabled = true;
    EXPECT_TRUE(forwardBoxUsable(e));
}

TEST(CallScreeningPage, UnchangedWritesNothing)
{
    const ScreeningList read = screening();
    ASSERT_TRUE(read.rejectListed[0]);
    EXPECT_TRUE(composeScreening(read, read).isEmpty());
}

TEST(CallScreeningPage, ListingAndUnlistingEntries)
{
    const ScreeningList read = screening();
    ScreeningList cur = read;
    cur.entries[11].listed[2] = true;
    cur.entries[2].listed[2] = true;
    cur.entries[4].listed[0] = false;
    EXPECT_EQ(composeScreening(cur, read),
              (QList<SlotLine>{{51, "AT@A3=3,12\r", false}, {52, "AT@D1=5\r", false}}));
}

TEST(CallScreeningPage, PoliciesAndNumbers)
{
    const ScreeningList read = screening();
    ScreeningList cur = read;
    cur.rejectListed[0] = false;   // port 1: Accept
    cur.rejectListed[2] = true;    // data port: Reject
    cur.entries[19].number = "5550020";
    cur.entries[0].number.clear();
    const QList<SlotLine> expected = {{48, "AT@X1=1@X3=0\r", false},
                                      {55, "AT@Z1=\r", false},
                                      {74, "AT@Z20=5550020\r", false}};
    EXPECT_EQ(composeScreening(cur, read), expected);
}

TEST(CallScreeningPage, AcceptAllRejectsNoListedNumber)
{
    const ScreeningList read = screening();
    ScreeningList cur = read;
    acceptAll(cur, 2);
    EXPECT_EQ(composeScreening(cur, read),
              (QList<SlotLine>{{48, "AT@X3=0\r", false}, {54, "AT@D3=1\r", false}}));
}
