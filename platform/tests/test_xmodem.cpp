// Xmodem (checksum) over a pseudo-terminal; the test plays the other end by
// hand on the master side, corrupting or refusing a block on purpose.

#include "fresh_root.h"
#include "paths.h"
#include "protocol.h"
#include "ptypair.h"
#include "serialport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTimer>

namespace {

constexpr char SOH = 0x01, EOT = 0x04, ACK = 0x06, NAK = 0x15, CAN = 0x18;

QByteArray sampleFile(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char((i * 7 + 3) & 0xFF));
    return data;
}

QByteArray frame(int number, QByteArray payload)
{
    payload.append(QByteArray(128 - payload.size(), 0x1A));
    unsigned sum = 0;
    for (char c : payload)
        sum += static_cast<unsigned char>(c);
    QByteArray f;
    f.append(SOH).append(char(number)).append(char(255 - number)).append(payload).append(char(sum & 0xFF));
    return f;
}

class XmodemTest : public FreshRootTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        pty.registerAs(3);
        port.setComNumber(3);
        port.open();
        protocol.setComPort(&port);
        protocol.setProtocolType(ProtocolType::ptXmodem);
        protocol.setStatusInterval(1);
        QDir().mkpath(QFileInfo(tl::mapPath("c:\\fw.bin")).path());
    }
    void writeFile(const QString &name, const QByteArray &data)
    {
        QFile f(tl::mapPath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    QByteArray readFile(const QString &name)
    {
        QFile f(tl::mapPath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    PtyPair pty;
    TApdComPort port;
    TApdProtocol protocol;
};

TEST_F(XmodemTest, SentFileArrivesIntactWithARefusedBlockSentAgain)
{
    const QByteArray original = sampleFile(300);
    writeFile("c:\\fw.bin", original);
    protocol.setFileName("c:\\fw.bin");
    QSignalSpy status(&protocol, &TApdProtocol::protocolStatus);
    QSignalSpy finish(&protocol, &TApdProtocol::protocolFinish);
    protocol.startTransmit();
    ASSERT_TRUE(protocol.inProgress());
    EXPECT_EQ(protocol.fileLength(), 300);

    QByteArray received;
    pty.send(QByteArray(1, NAK));
    bool refused = false;
    for (int block = 1; block <= 3; ++block) {
        QByteArray f = pty.receiveCount(132);
        ASSERT_EQ(f.size(), 132) << "block " << block;
        if (block == 2 && !refused) {
            // As if it came in damaged: ask for it again.
            refused = true;
            pty.send(QByteArray(1, NAK));
            const QByteArray again = pty.receiveCount(132);
            EXPECT_EQ(again, f);
            f = again;
        }
        EXPECT_EQ(f.at(0), SOH);
        EXPECT_EQ(static_cast<unsigned char>(f.at(1)), block);
        received.append(f.mid(3, 128));
        pty.send(QByteArray(1, ACK));
    }
    EXPECT_EQ(pty.receiveCount(1), QByteArray(1, EOT));
    pty.send(QByteArray(1, ACK));
    ASSERT_TRUE(finish.count() == 1 || finish.wait(2000));
    EXPECT_EQ(finish.at(0).at(0).toInt(), int(ecOK));
    EXPECT_EQ(received.left(300), original);
    EXPECT_EQ(protocol.bytesTransferred(), 300);
    EXPECT_FALSE(protocol.inProgress());
    ASSERT_GE(status.count(), 2);
    EXPECT_EQ(status.first().at(0).toInt(), 1);
    EXPECT_EQ(status.last().at(0).toInt(), 2);
}

TEST_F(XmodemTest, WhatTheDeviceSaysRightAfterTheTransferReachesTheProgram)
{
    writeFile("c:\\fw.bin", sampleFile(100));
    protocol.setFileName("c:\\fw.bin");
    QSignalSpy finish(&protocol, &TApdProtocol::protocolFinish);
    QByteArray after;
    QObject::connect(&port, &TApdComPort::triggerAvail, &port, [&](int count) { after += port.getBlock(count); });
    protocol.startTransmit();
    pty.send(QByteArray(1, NAK));
    ASSERT_EQ(pty.receiveCount(132).size(), 132);
    pty.send(QByteArray(1, ACK));
    EXPECT_EQ(pty.receiveCount(1), QByteArray(1, EOT));
    // The end's ACK and the device's own result in one piece.
    pty.send(QByteArray(1, ACK) + "\r\nOK\r\n");
    ASSERT_TRUE(finish.count() == 1 || finish.wait(2000));
    EXPECT_EQ(finish.at(0).at(0).toInt(), int(ecOK));
    pumpEvents(50);
    EXPECT_EQ(after, QByteArray("\r\nOK\r\n"));
}

TEST_F(XmodemTest, ReceivedFileArrivesIntactWhenACorruptedBlockIsRetried)
{
    const QByteArray original = sampleFile(333);
    protocol.setFileName("c:\\in.bin");
    QSignalSpy finish(&protocol, &TApdProtocol::protocolFinish);
    QSignalSpy error(&protocol, &TApdProtocol::protocolError);
    protocol.startReceive();

    EXPECT_EQ(pty.receiveCount(1), QByteArray(1, NAK));
    for (int block = 1; block <= 3; ++block) {
        const QByteArray good = frame(block, original.mid((block - 1) * 128, 128));
        if (block == 2) {
            QByteArray bad = good;
            bad[50] = char(bad[50] ^ 0x40);
            pty.send(bad);
            EXPECT_EQ(pty.receiveCount(1), QByteArray(1, NAK));
        }
        pty.send(good);
        EXPECT_EQ(pty.receiveCount(1), QByteArray(1, ACK)) << "block " << block;
    }
    // A repeated block (our ACK lost on the way) is acknowledged and not stored twice.
    pty.send(frame(3, original.mid(256)));
    EXPECT_EQ(pty.receiveCount(1), QByteArray(1, ACK));
    pty.send(QByteArray(1, EOT));
    EXPECT_EQ(pty.receiveCount(1), QByteArray(1, ACK));
    ASSERT_TRUE(finish.count() == 1 || finish.wait(2000));
    EXPECT_EQ(finish.at(0).at(0).toInt(), int(ecOK));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(readFile("c:\\in.bin"), original);

    // The port belongs to the buffer again once the transfer is over.
    QTimer::singleShot(10, &port, [this] { pty.send("OK\r\n"); });
    EXPECT_EQ(port.waitForMultiString("OK", 545, true), 1);
}

TEST_F(XmodemTest, SilentReceiverEndsInATimeOutError)
{
    writeFile("c:\\fw.bin", sampleFile(10));
    protocol.setFileName("c:\\fw.bin");
    protocol.setHandshakeWait(20);
    QSignalSpy error(&protocol, &TApdProtocol::protocolError);
    QSignalSpy finish(&protocol, &TApdProtocol::protocolFinish);
    protocol.startTransmit();
    ASSERT_TRUE(finish.wait(3000));
    ASSERT_EQ(error.count(), 1);
    EXPECT_EQ(error.at(0).at(0).toInt(), int(ecTimeout));
    EXPECT_EQ(finish.at(0).at(0).toInt(), int(ecTimeout));
}

TEST_F(XmodemTest, CancelTellsThePeerAndReportsTheError)
{
    protocol.setFileName("c:\\in.bin");
    QSignalSpy error(&protocol, &TApdProtocol::protocolError);
    QSignalSpy finish(&protocol, &TApdProtocol::protocolFinish);
    protocol.startReceive();
    EXPECT_EQ(pty.receiveCount(1), QByteArray(1, NAK));
    protocol.cancelProtocol();
    EXPECT_EQ(pty.receiveCount(3), QByteArray(3, CAN));
    ASSERT_EQ(finish.count(), 1);
    EXPECT_EQ(error.at(0).at(0).toInt(), int(ecCancelRequested));
    EXPECT_FALSE(QFile::exists(tl::mapPath("c:\\in.bin")));   // no half file left behind
}

TEST_F(XmodemTest, MissingFileIsReportedAfterTheCall)
{
    protocol.setFileName("c:\\nothing.bin");
    QSignalSpy finish(&protocol, &TApdProtocol::protocolFinish);
    protocol.startTransmit();
    EXPECT_TRUE(finish.isEmpty());
    ASSERT_TRUE(finish.wait(2000));
    EXPECT_EQ(finish.at(0).at(0).toInt(), int(ecFileError));
}

} // namespace
