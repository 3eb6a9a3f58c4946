// Reading the page settings from replies and composing the command lines.
#include "fragments.h"
#include "settings.h"

#include "qtprint.h"

#include <gtest/gtest.h>

using namespace quillon;

TEST(BasicPage, ReadFromReplies)
{
    StoredReplies r;
    r.ati16 = "Data Protocol Settings *VO =5 *PPP =3 *E =7 \r\nOK";
    r.ati4 = "TA Settings S67 =2 \r\nOK";
    r.ati15 = "Phone Port Settings #R1 =2 #R2 =5 \r\nOK";
    const BasicSettings s = readBasic(r);
    EXPECT_EQ(s.outgoing, 3);
    EXPECT_EQ(s.dvo, 3);            // values above 3 show as 3
    EXPECT_EQ(s.bRate, Rate56K);    // bit 1 set, bit 2 clear
    EXPECT_EQ(s.port1, 2);
    EXPECT_EQ(s.port2, 0);          // values above 3 show as 0

    r.ati16 = "*VO =8 *PPP =3 \r\nOK";
    EXPECT_EQ(readBasic(r).outgoing, 6);
    r.ati16 = "*VO =5 *PPP =4 \r\nOK";
    EXPECT_EQ(readBasic(r).outgoing, 1);
    r.ati4 = "S67 =6 \r\nOK";
    EXPECT_EQ(readBasic(r).bRate, Rate64K);
    r.ati4 = "S67 =4 \r\nOK";
    EXPECT_EQ(readBasic(r).bRate, RateAuto);
}

TEST(BasicPage, ComposeChangedSettingsInTableOrder)
{
    BasicSettings read;
    BasicSettings cur = read;
    EXPECT_EQ(composeBasic(cur, read), "AT\r");
    cur.port2 = 2;
    cur.dvo = 1;
    EXPECT_EQ(composeBasic(cur, read), "AT*E=1#R2=2\r");
    // A new outgoing type always carries the rate after it.
    cur = read;
    cur.outgoing = 2;
    EXPECT_EQ(composeBasic(cur, read), "AT*VO=5S67.1=0*PPP=2S67.1=0\r");
    cur.bRate = Rate64K;
    EXPECT_EQ(composeBasic(cur, read), "AT*VO=5S67.1=0*PPP=2S67.1=1S67.2=1\r");
    cur = read;
    cur.bRate = Rate56K;
    EXPECT_EQ(composeBasic(cur, read), "ATS67.1=1S67.2=0\r");
    for (int i = 0; i < 7; ++i)
        EXPECT_FALSE(outgoingFragment(i).isEmpty());
    EXPECT_EQ(outgoingFragment(4), "*VO=6");
    EXPECT_EQ(outgoingFragment(5), "*VO=7");
    EXPECT_EQ(outgoingFragment(6), "*PPP=0*VO=8");
}

TEST(DataPage, ReadMapsValuesToItems)
{
    StoredReplies r;
    r.ati16 = "*VI =6 *VO =7 \r\nOK";
    r.ati15 = "*R =4 \r\nOK";
    r.ati4 = "S67 =0 S69 =160 \r\nOK";
    DataSettings s = readData(r, false);
    EXPECT_EQ(s.incoming, 3);
    EXPECT_EQ(s.outgoing, 3);
    EXPECT_EQ(s.number, 3);          // 4 is "Answer either DN" off EuroISDN
    EXPECT_TRUE(s.dataOverVoice);    // bit 5 of 160
    EXPECT_TRUE(s.voiceMail);        // bit 7 of 160
    r.ati15 = "*R =5 \r\nOK";
    EXPECT_EQ(readData(r, false).number, 0);
    EXPECT_EQ(readData(r, true).number, 5);
}

TEST(DataPage, ComposeInOrderWithMappedValues)
{
    DataSettings read;
    DataSettings cur;
    cur.incoming = 2;
    cur.number = 3;
    cur.dataOverVoice = true;
    cur.outgoing = 4;
    cur.bChannel = Rate64K;
    cur.voiceMail = true;
    EXPECT_EQ(composeData(cur, read, false, true), "AT*VI=5*R=4S69.5=1*VO=8S67.1=1S67.2=1S69.7=1\r");
    EXPECT_EQ(composeData(cur, read, true, true), "AT*VI=5*R=3S69.5=1*VO=8S67.1=1S67.2=1S69.7=1\r");
    // Only the voice page was opened: the voice mail alone goes into the data line.
    EXPECT_EQ(composeData(cur, read, false, false), "ATS69.7=1\r");
    EXPECT_EQ(composeData(read, read, false, true), "AT\r");
}

TEST(VoicePage, ReadAndCompose)
{
    StoredReplies r;
    r.ati15 = "#R1 =1 #R2 =2 #I1 =0 #I2 =9 #B1 =0 #B2 =1 #VR1 =5 #VR2 =6 #S1 =1 #S2 =0 \r\nOK";
    r.ati16 = "*E =2 \r\nOK";
    const VoiceSettings read = readVoice(r);
    EXPECT_FALSE(read.callerId[0]);
    EXPECT_TRUE(read.callerId[1]);
    EXPECT_EQ(read.receiveVolume[1], 6);
    EXPECT_TRUE(read.advancedCall[0]);
    EXPECT_EQ(read.dvo, 2);

    VoiceSettings cur = read;
    cur.callerId[0] = true;
    EXPECT_EQ(composeVoice(cur, read), "AT#I1=9\r");
    cur.callerId[1] = false;
    cur.number[1] = 0;
    cur.bearer[0] = 1;
    cur.receiveVolume[0] = 9;
    cur.advancedCall[1] = true;
    cur.dvo = 0;
    EXPECT_EQ(composeVoice(cur, read), "AT#R2=0#I1=9#I2=0#B1=1#VR1=9#S2=1*E=0\r");
}

TEST(AdvVoicePage, CallWaitingAndButtons)
{
    StoredReplies r;
    r.ati15 = "#A2 =2 #C1 =60 #C2 =0 #D1 =0 #W2 =63 \r\nOK";
    const AdvVoiceSettings read = readAdvVoice(r);
    EXPECT_FALSE(read.callWaiting[0]);   // missing counts as 1, which is "off"
    EXPECT_TRUE(read.callWaiting[1]);
    EXPECT_EQ(read.conference[0], 60);
    EXPECT_EQ(read.message[1], 63);

    AdvVoiceSettings cur = read;
    cur.callWaiting[0] = true;
    cur.conference[0] = 0;
    cur.transfer[1] = kDefaultTransfer;
    cur.forward[0] = kDefaultForward;
    EXPECT_EQ(composeAdvVoice(cur, read), "AT#A1=2#C1=0#F1=57#T2=61\r");
    EXPECT_EQ(composeAdvVoice(read, read), "AT\r");
}

TEST(ResetAndProfiles, TemplatesAndFragments)
{
    EXPECT_EQ(resetTemplateNumber(0), 0);
    EXPECT_EQ(resetTemplateNumber(2), 2);
    EXPECT_EQ(resetTemplateNumber(3), 4);
    EXPECT_EQ(resetTemplateNumber(4), 5);
    EXPECT_EQ(resetTemplateNumber(5), -1);
    EXPECT_EQ(profileFragment(0), "*PPP=0*PPP=2S67=0");
    EXPECT_EQ(profileFragment(2), "*PPP=0S67=0*A=1Z!");
    EXPECT_EQ(profileFragment(5), "*VO=1S67=0");
    EXPECT_EQ(profileFragment(6), "");
}

TEST(CommandSlots, EmptyLinesAndSearch)
{
    CommandSlots s;
    EXPECT_EQ(s.firstFilled(0, 76), -1);   // never filled
    s.reset();
    EXPECT_EQ(s.firstFilled(0, 76), -1);
    s[16] = "AT#I1=9\r";
    s[75] = "AT*X0=100\r";
    EXPECT_EQ(s.firstFilled(0, 76), 16);
    EXPECT_EQ(s.firstFilled(17, 76), 75);
    EXPECT_EQ(s.firstFilled(17, 74), -1);
}

TEST(SpidCommand, SecondNumberOnlyWhenGiven)
{
    EXPECT_EQ(spidCommand("555", "5551234", ""), "at*Z555,5551234\r");
    EXPECT_EQ(spidCommand("20145", "5551234", "5555678"), "at*Z20145,5551234,5555678\r");
}
