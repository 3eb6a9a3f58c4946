// The serial port component against a pseudo-terminal: waits, the wait hook,
// data triggers, the data-available event and a device that goes away.

#include "fresh_root.h"
#include "ptypair.h"
#include "serialport.h"

#include <QSignalSpy>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

// Ticks that last long enough at the tests' clock (about 0.6 s real).
constexpr int kLong = 545;

class SerialPortTest : public FreshRootTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        pty.registerAs(5);
        port.setComNumber(5);
        port.open();
        ASSERT_TRUE(port.isOpen());
    }
    // The device answers after the wait has begun.
    void sendLater(int ms, const QByteArray &bytes)
    {
        QTimer::singleShot(ms, &port, [this, bytes] { pty.send(bytes); });
    }
    PtyPair pty;
    TApdComPort port;
};

TEST_F(SerialPortTest, WaitReturnsTheFirstAlternativeReceivedIgnoringCase)
{
    sendLater(20, "\r\nconnect 9600\r\nERROR\r\n");
    EXPECT_EQ(port.waitForMultiString("ERROR^CONNECT", kLong, true), 2);
    // The rest of that reply is still buffered for a following wait.
    EXPECT_EQ(port.waitForMultiString("error", kLong, true), 1);

    sendLater(20, "ati7\r\nVarnel\r\nok\r\n");
    EXPECT_EQ(port.waitForMultiString("ERROR^OK", kLong, true), 2);
}

TEST_F(SerialPortTest, WaitTimesOutWithZero)
{
    sendLater(10, "nothing of interest\r\n");
    EXPECT_EQ(port.waitForMultiString("OK^ERROR", 5, true), 0);
    EXPECT_EQ(port.waitForMultiString("OK^ERROR", 5, false), 0);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(SerialPortTest, AlternativeSplitOverSeveralReadsIsFound)
{
    sendLater(10, "\r\nO");
    sendLater(60, "K");
    sendLater(110, "\r\n");
    EXPECT_EQ(port.waitForMultiString("ERROR^\nOK\r", kLong, true), 2);

    // The same without yielding: the wait blocks on the port itself, so the
    // device talks from another thread.
    std::thread device([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pty.send("ER");
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        pty.send("ROR\r");
    });
    EXPECT_EQ(port.waitForMultiString("OK^ERROR", kLong, false), 2);
    device.join();
}

TEST_F(SerialPortTest, HookSeesEveryCharacterAndTheRestWaitsForTheNextWait)
{
    QByteArray seen;
    port.setWaitCharHook([&seen](char c) { seen.append(c); });
    sendLater(10, "\r\n01: Germany\r\nOK\r\n");
    EXPECT_EQ(port.waitForMultiString("OK\r^ERROR\r^01:", kLong, true), 3);
    EXPECT_EQ(seen, QByteArray("\r\n01:"));
    // What followed the match is still there for the wait that follows.
    EXPECT_EQ(port.waitForMultiString("OK\r^ERROR\r", kLong, true), 1);
    EXPECT_EQ(seen, QByteArray("\r\n01: Germany\r\nOK\r"));
}

TEST_F(SerialPortTest, VanishingDeviceEndsTheWaitAsNoAnswer)
{
    QSignalSpy closed(&port, &TApdComPort::portClosed);
    QTimer::singleShot(30, &port, [this] { pty.closeMaster(); });
    EXPECT_EQ(port.waitForMultiString("OK", 364, true), 0);
    EXPECT_TRUE(closed.wait(1000) || closed.count() == 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_THROW(port.putString(QByteArray("AT\r")), EApdPortError);
    EXPECT_EQ(port.waitForMultiString("OK", 5, true), 0);
}

TEST_F(SerialPortTest, VanishingDeviceEndsABlockingWaitToo)
{
    QTimer::singleShot(30, &port, [this] { pty.closeMaster(); });
    // The timer cannot run inside a blocking wait; close before it instead.
    pumpEvents(60);
    EXPECT_EQ(port.waitForMultiString("OK", 364, false), 0);
}

TEST_F(SerialPortTest, TriggerFiresOncePerOccurrenceAlsoWhenSplit)
{
    const int reset = port.addDataTrigger("Close this App");
    const int other = port.addDataTrigger("RING");
    ASSERT_GT(reset, 0);
    ASSERT_NE(reset, other);
    QSignalSpy fired(&port, &TApdComPort::triggerData);

    pty.send("xxClose th");
    pumpEvents(50);
    pty.send("is Appyy close this app RING");
    pumpEvents(50);
    pty.send("Close this App");
    pumpEvents(80);

    QList<int> handles;
    for (const auto &args : fired)
        handles.append(args.at(0).toInt());
    EXPECT_EQ(handles, (QList<int>{reset, other, reset}));

    port.removeTrigger(reset);
    pty.send("Close this App");
    pumpEvents(50);
    EXPECT_EQ(fired.count(), 3);
}

TEST_F(SerialPortTest, TriggerFiresDuringAWait)
{
    const int reset = port.addDataTrigger("Close this App");
    QSignalSpy fired(&port, &TApdComPort::triggerData);
    sendLater(10, "Close this App\r\nOK\r\n");
    EXPECT_EQ(port.waitForMultiString("OK", kLong, true), 1);
    pumpEvents(20);
    ASSERT_EQ(fired.count(), 1);
    EXPECT_EQ(fired.at(0).at(0).toInt(), reset);
}

TEST_F(SerialPortTest, DataAvailableShowsTheNewCharactersFirstAndDropsTheRest)
{
    QList<QByteArray> batches;
    QObject::connect(&port, &TApdComPort::triggerAvail, &port, [&](int count) {
        QByteArray b;
        for (int i = 0; i < count; ++i)
            b.append(port.peekChar(i));
        batches.append(b);
    });
    pty.send("ERROR\r\n");
    pumpEvents(60);
    pty.send("OK\r\n");
    pumpEvents(60);
    EXPECT_EQ(batches.join(), QByteArray("ERROR\r\nOK\r\n"));
    EXPECT_EQ(batches.last(), QByteArray("OK\r\n"));
    // Nobody took the text, so a later wait does not mistake it for its answer.
    EXPECT_EQ(port.charReady(), 0);
    EXPECT_EQ(port.waitForMultiString("OK", 3, true), 0);
}

TEST_F(SerialPortTest, HandlerTakesCharactersWithGetChar)
{
    QByteArray taken;
    QObject::connect(&port, &TApdComPort::triggerAvail, &port, [&](int) {
        while (port.charReady() > 0)
            taken.append(port.getChar());
    });
    pty.send("hello");
    pumpEvents(60);
    EXPECT_EQ(taken, QByteArray("hello"));
    EXPECT_EQ(port.getChar(), 0);
}

TEST_F(SerialPortTest, PutStringReachesTheDeviceAndDtrIsHarmless)
{
    port.setDTR(true);   // a pseudo-terminal cannot; that must not matter
    EXPECT_TRUE(port.dtr());
    port.putString(QString("ati7\r"));
    EXPECT_EQ(pty.receiveUntil("\r"), QByteArray("ati7\r"));
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_THROW(port.putString(QByteArray("x")), EApdPortError);
}

TEST(SerialPortOpen, UnknownComNumberThrows)
{
    FreshRoot root;
    TApdComPort port;
    port.setComNumber(77);
    EXPECT_THROW(port.open(), EApdPortError);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.waitForMultiString("OK", 3, true), 0);
}

} // namespace
