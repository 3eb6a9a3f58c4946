// Data packets: start and end matching, split arrivals, one packet per arming,
// the "?" start, include/exclude, size limit and time-out, and packets on a port.

#include "datapacket.h"
#include "fresh_root.h"
#include "ptypair.h"
#include "serialport.h"

#include <QSignalSpy>
#include <QTimer>

namespace {

void feed(TApdDataPacket &p, const QByteArray &bytes) { p.feed(bytes.constData(), int(bytes.size())); }

QStringList packets(const QSignalSpy &spy)
{
    QStringList out;
    for (const auto &args : spy)
        out.append(args.at(0).toString());
    return out;
}

TEST(DataPacket, OnePacketPerArmingAlsoWhenSplit)
{
    TApdDataPacket p;
    p.setStartString("Varnel Brenmoor ISDN");
    p.setEndString("OK");
    QSignalSpy spy(&p, &TApdDataPacket::stringPacket);
    feed(p, "noise VARNEL brenm");
    EXPECT_TRUE(spy.isEmpty());
    p.setEnabled(true);
    feed(p, "ati7\r\nVarnel Bren");
    feed(p, "moor ISDN TA\r\nProduct ID 0x52400000\r\nO");
    feed(p, "K\r\nVarnel Brenmoor ISDN again OK");
    EXPECT_EQ(packets(spy), QStringList{"Varnel Brenmoor ISDN TA\r\nProduct ID 0x52400000\r\nOK"});
    EXPECT_FALSE(p.isEnabled());

    // Arming again starts a fresh match; letter case is ignored by default.
    p.setEnabled(true);
    feed(p, "varnel brenmoor isdn x ok");
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toString(), "varnel brenmoor isdn x ok");
}

TEST(DataPacket, EndIsLookedForOnlyAfterTheStart)
{
    TApdDataPacket err;
    err.setStartString("ERR");
    err.setEndString("OR");
    err.setIgnoreCase(false);
    QSignalSpy spy(&err, &TApdDataPacket::stringPacket);
    err.setEnabled(true);
    feed(err, "error\r\nER");
    feed(err, "ROR\r\n");
    EXPECT_EQ(packets(spy), QStringList{"ERROR"});
}

TEST(DataPacket, QuestionMarkStartsAtAnyCharacter)
{
    TApdDataPacket p;
    p.setStartString("?");
    p.setEndString("OK");
    QSignalSpy spy(&p, &TApdDataPacket::stringPacket);
    p.setEnabled(true);
    feed(p, "\r\nOK\r\n");
    EXPECT_EQ(packets(spy), QStringList{"\r\nOK"});
}

TEST(DataPacket, StartAndEndExcluded)
{
    TApdDataPacket p;
    p.setStartString("Charge Info");
    p.setEndString("OK");
    p.setIncludeStrings(false);
    QSignalSpy spy(&p, &TApdDataPacket::stringPacket);
    p.setEnabled(true);
    feed(p, "x Charge In");
    feed(p, "fo\r\n1 call\r\nO");
    feed(p, "K");
    EXPECT_EQ(packets(spy), QStringList{"\r\n1 call\r\n"});
}

TEST(DataPacket, SizeLimitEndsThePacketAndAutoEnableRearms)
{
    TApdDataPacket p;
    p.setStartCond(StartCond::scAnyData);
    p.setEndString("OK");
    p.setPacketSize(10);
    p.setAutoEnable(true);
    QSignalSpy spy(&p, &TApdDataPacket::stringPacket);
    p.setEnabled(true);
    feed(p, "0123456789abcOK");
    EXPECT_EQ(packets(spy), (QStringList{"0123456789", "abcOK"}));
    EXPECT_TRUE(p.isEnabled());
}

TEST(DataPacket, TimeOutEndsAStartedPacket)
{
    TApdDataPacket p;
    p.setStartCond(StartCond::scAnyData);
    p.setEndString("OK");
    p.setTimeout(90);
    QSignalSpy text(&p, &TApdDataPacket::stringPacket);
    QSignalSpy timedOut(&p, &TApdDataPacket::packetTimeout);
    p.setEnabled(true);
    feed(p, "half an answ");
    ASSERT_TRUE(timedOut.wait(3000));
    EXPECT_FALSE(p.isEnabled());
    feed(p, "er OK");
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(timedOut.count(), 1);
}

class PacketOnPort : public FreshRootTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        pty.registerAs(6);
        port.setComNumber(6);
        port.open();
    }
    PtyPair pty;
    TApdComPort port;
};

TEST_F(PacketOnPort, PacketsSeeTheDataAlongsideWaitsAndArmOnlyForNewData)
{
    TApdDataPacket ati12, next;
    ati12.setComPort(&port);
    next.setComPort(&port);
    ati12.setStartString("Switch Settings");
    ati12.setEndString("OK");
    next.setStartString("?");
    next.setEndString("OK");
    QSignalSpy first(&ati12, &TApdDataPacket::stringPacket);
    QSignalSpy second(&next, &TApdDataPacket::stringPacket);
    // As a reply chain does: the handler arms the matcher of the next query.
    QObject::connect(&ati12, &TApdDataPacket::stringPacket, &next, [&] { next.setEnabled(true); });
    ati12.setEnabled(true);

    pty.send("Switch Sett");
    pumpEvents(40);
    pty.send("ings: NI-1\r\nOK\r\n");
    ASSERT_TRUE(first.wait(2000));
    EXPECT_EQ(first.at(0).at(0).toString(), "Switch Settings: NI-1\r\nOK");
    pumpEvents(40);
    // The armed matcher did not pick up the old reply.
    EXPECT_TRUE(second.isEmpty());

    pty.send("Phone Port Settings\r\nOK\r\n");
    ASSERT_TRUE(second.wait(2000));
    EXPECT_EQ(second.at(0).at(0).toString(), "Phone Port Settings\r\nOK");
}

TEST_F(PacketOnPort, PacketAndWaitShareTheSameReply)
{
    TApdDataPacket p;
    p.setComPort(&port);
    p.setStartString("56K Business Modem");
    p.setEndString("OK");
    QSignalSpy spy(&p, &TApdDataPacket::stringPacket);
    p.setEnabled(true);
    QTimer::singleShot(10, &port, [this] { pty.send("56K Business Modem\r\nOK\r\n"); });
    EXPECT_EQ(port.waitForMultiString("ERROR^OK", 545, true), 2);
    pumpEvents(30);
    EXPECT_EQ(spy.count(), 1);
}

} // namespace
