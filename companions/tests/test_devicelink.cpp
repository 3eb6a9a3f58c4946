// Two libraries on the one port: the second one's command, issued while the
// first one's wait is still on the stack, waits for the first answer, and
// each gets its own answer whole.
#include "deviceanswers.h"
#include "devicelink.h"
#include "fresh_root.h"
#include "hostharness.h"
#include "simdevice.h"

#include <QTimer>

#include <gtest/gtest.h>

using namespace companions;

namespace {

constexpr int kCom = 9;

class SharedPort : public FreshRootTest {};

TEST_F(SharedPort, ACommandIssuedDuringAnotherLibrarysWaitGetsItsOwnAnswer)
{
    // A slow line, so that the first answer is still arriving when the second
    // command goes out. The line's pace is real time, the test clock is fast:
    // the waits are given ticks enough for it.
    constexpr int kTicks = 5000;
    SimDevice sim("56k", kCom, {"--fault", "baud=9600"});
    ASSERT_TRUE(sim.started());
    HostHarness host(kCom);
    ASSERT_TRUE(host.openPort());
    DeviceLink first, second;
    first.setPort(&host.port);
    second.setPort(&host.port);

    // The host forwards the port's events to the library whose screen is shown: the second.
    QObject::connect(&host.port, &TApdComPort::triggerAvail, &second, [&] { second.takeAvailable(); });

    Reply inner;
    bool innerDone = false;
    QTimer::singleShot(0, [&] {
        inner = second.command("ati4\r", kTicks);
        innerDone = true;
    });
    const Reply outer = first.command("ati7\r", kTicks);
    ASSERT_TRUE(innerDone);

    ASSERT_TRUE(outer.ok()) << outer.raw.constData();
    EXPECT_TRUE(parseIdentity(outer.text).valid()) << outer.raw.constData();
    EXPECT_FALSE(outer.raw.contains("ati4"));
    EXPECT_FALSE(outer.raw.contains("Modem Settings"));
    ASSERT_TRUE(inner.ok()) << inner.raw.constData();
    EXPECT_FALSE(inner.raw.contains("Product ID")) << inner.raw.constData();
    EXPECT_TRUE(inner.text.startsWith("Modem Settings")) << inner.raw.constData();

    // The device saw the two commands one after the other.
    EXPECT_EQ(sim.commands(), QStringList({"ati7\\r", "ati4\\r"}));

    // Neither holds the port afterwards: a third command goes straight out.
    EXPECT_TRUE(first.command("ati3\r", kTicks).ok());
}

TEST_F(SharedPort, AnAnswerThatNeverEndsHoldsTheOtherLibraryOnlyForAWhile)
{
    SimDevice sim("56k", kCom, {"--fault", "silent-after=1"});
    ASSERT_TRUE(sim.started());
    HostHarness host(kCom);
    ASSERT_TRUE(host.openPort());
    DeviceLink first, second;
    first.setPort(&host.port);
    second.setPort(&host.port);
    EXPECT_TRUE(first.command("ATE0\r").ok());

    Reply inner;
    bool innerDone = false;
    QTimer::singleShot(0, [&] {
        inner = second.command("ati7\r", 5);
        innerDone = true;
    });
    const Reply outer = first.command("ati4\r", 10);
    ASSERT_TRUE(innerDone);
    EXPECT_EQ(outer.result, Reply::NoAnswer);
    EXPECT_EQ(inner.result, Reply::NoAnswer);
    // The silent device still saw the second command: the wait for the first ends.
    EXPECT_EQ(sim.commands().size(), 3);
}

} // namespace
