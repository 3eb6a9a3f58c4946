#include "clock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Each test sets the factor it needs and puts the run's factor back.
class ClockTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = tl::timeScale(); }
    void TearDown() override { tl::setTimeScale(saved_); }
    double saved_ = 1.0;
};

} // namespace

TEST_F(ClockTest, DurationsAreScaledAndNeverShrinkToZero)
{
    tl::setTimeScale(1.0);
    EXPECT_EQ(tl::ticksToMs(1), 55);
    EXPECT_EQ(tl::ticksToMs(182), 10000);
    EXPECT_EQ(tl::ticksToUnscaledMs(18), 989);
    tl::setTimeScale(0.1);
    EXPECT_EQ(tl::scaledMs(3500), 350);
    EXPECT_EQ(tl::ticksToMs(182), 1000);
    EXPECT_EQ(tl::ticksToUnscaledMs(182), 10000);   // not scaled
    EXPECT_EQ(tl::scaledMs(1), 1);
    EXPECT_EQ(tl::scaledMs(0), 0);
    tl::setTimeScale(-3);                           // nonsense counts as 1
    EXPECT_EQ(tl::timeScale(), 1.0);
}

TEST_F(ClockTest, AYieldingWaitRunsTimersAndEndsWhenTheConditionHolds)
{
    tl::setTimeScale(0.1);
    bool fired = false;
    QTimer::singleShot(30, [&] { fired = true; });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(tl::waitUntil([&] { return fired; }, 5000, true));
    EXPECT_LT(t.elapsed(), 400);
}

TEST_F(ClockTest, ABlockingWaitRunsNoEventsAndTimesOutAfterTheScaledTime)
{
    tl::setTimeScale(0.1);
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(tl::waitUntil([&] { return fired; }, 1000, false));
    EXPECT_GE(t.elapsed(), 100);
    EXPECT_FALSE(fired);
    // The yielding flavour times out the same way and does run the event.
    t.restart();
    EXPECT_FALSE(tl::waitUntil([] { return false; }, 1000, true));
    EXPECT_GE(t.elapsed(), 100);
    EXPECT_TRUE(fired);
}

TEST_F(ClockTest, DelayTicksWaitsTheScaledTicks)
{
    tl::setTimeScale(0.2);
    QElapsedTimer t;
    t.start();
    DelayTicks(18, true);          // about 990 ms unscaled, 198 ms here
    EXPECT_GE(t.elapsed(), 190);
    t.restart();
    DelayTicks(18, false);
    EXPECT_GE(t.elapsed(), 190);
}

TEST_F(ClockTest, ScaledTimerFiresAtTheScaledIntervalOnlyWhileEnabled)
{
    tl::setTimeScale(0.01);
    ScaledTimer timer(nullptr, 5000);
    QSignalSpy spy(&timer, &ScaledTimer::timeout);
    EXPECT_FALSE(timer.isEnabled());
    QTest::qWait(120);
    EXPECT_EQ(spy.count(), 0);

    timer.setEnabled(true);
    EXPECT_TRUE(spy.wait(1000));   // 50 ms real
    EXPECT_EQ(timer.interval(), 5000);
    timer.setEnabled(false);
    const auto seen = spy.count();
    QTest::qWait(150);
    EXPECT_EQ(spy.count(), seen);

    timer.setInterval(0);          // a zero interval never fires
    timer.setEnabled(true);
    QTest::qWait(50);
    EXPECT_EQ(spy.count(), seen);

    timer.setInterval(1000);
    timer.setSingleShot(true);
    EXPECT_TRUE(spy.wait(1000));
    EXPECT_FALSE(timer.isEnabled());
}
