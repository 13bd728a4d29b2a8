#include "widgets/simple_timer.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/fake_timer_platform.h"

namespace vq {
namespace {

class SimpleTimerTest : public ::testing::Test {
protected:
    SimpleTimerTest() { platform.Attach(handler); }

    test::FakeTimerPlatform platform;
    TSimpleTimerHandler handler{platform};
};

TEST_F(SimpleTimerTest, CreationDefaultsAndSharedHandlerCounts) {
    {
        TSimpleTimer a(handler);
        int ticks = 0;
        TSimpleTimer b(handler, 250, [&](TSimpleTimer&) { ++ticks; });
        EXPECT_EQ(a.Id(), reinterpret_cast<std::uintptr_t>(&a));
        EXPECT_NE(a.Id(), b.Id());
        EXPECT_EQ(a.Interval(), 1000u);
        EXPECT_EQ(b.Interval(), 250u);
        EXPECT_FALSE(a.Enabled());
        EXPECT_FALSE(a.AutoDisable());
        EXPECT_EQ(a.Tag(), 0);
        EXPECT_EQ(handler.RefCount(), 2);

        b.SetEnabled(true);
        EXPECT_EQ(handler.ActiveCount(), 1);
        platform.Advance(1000);
        EXPECT_EQ(ticks, 4);
    }
    // Destroying a running timer stops its platform timer and releases the handler.
    EXPECT_EQ(handler.RefCount(), 0);
    EXPECT_EQ(handler.ActiveCount(), 0);
}

TEST_F(SimpleTimerTest, ZeroIntervalNeverStartsAPlatformTimer) {
    TSimpleTimer timer(handler, 0, [](TSimpleTimer&) {});
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(platform.setCalls, 0);
}

TEST_F(SimpleTimerTest, IntervalChangesWhileOn) {
    int ticks = 0;
    TSimpleTimer timer(handler, 100, [&](TSimpleTimer&) { ++ticks; });
    timer.SetEnabled(true);
    timer.SetInterval(40);  // restarts with the new period
    EXPECT_EQ(platform.PeriodOf(timer.Id()), 40u);

    timer.SetInterval(0);  // stays on, but no platform timer runs
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(platform.Running(timer.Id()));
    EXPECT_EQ(handler.ActiveCount(), 0);
    platform.Advance(1000);
    EXPECT_EQ(ticks, 0);

    timer.SetInterval(120);  // a later non-zero interval starts it again
    EXPECT_TRUE(platform.Running(timer.Id()));
    platform.Advance(360);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(handler.ActiveCount(), 1);
}

TEST_F(SimpleTimerTest, AutoDisableTicksOnce) {
    int ticks = 0;
    TSimpleTimer timer(handler, 10, [&](TSimpleTimer& sender) {
        ++ticks;
        EXPECT_FALSE(sender.Enabled());  // switched off before the handler runs
    });
    timer.SetAutoDisable(true);
    timer.SetEnabled(true);
    platform.Advance(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(handler.ActiveCount(), 0);
}

TEST_F(SimpleTimerTest, ClearingTheHandlerStopsWithoutSwitchingOff) {
    TSimpleTimer timer(handler, 10, [](TSimpleTimer&) {});
    timer.SetEnabled(true);
    timer.SetOnTimer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(platform.Running(timer.Id()));
}

TEST_F(SimpleTimerTest, PlatformRefusalLeavesTheTimerOff) {
    TSimpleTimer timer(handler, 10, [](TSimpleTimer&) {});
    timer.SetEnabled(true);
    platform.refuse = true;
    timer.SetInterval(20);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(handler.ActiveCount(), 0);
    timer.SetEnabled(false);  // a second stop does not drive the count below 0
    EXPECT_EQ(handler.ActiveCount(), 0);
}

TEST_F(SimpleTimerTest, TickForUnknownIdIsIgnored) {
    int ticks = 0;
    auto timer = std::make_unique<TSimpleTimer>(handler, 10, [&](TSimpleTimer&) { ++ticks; });
    const std::uintptr_t id = timer->Id();
    timer.reset();
    handler.HandleTimer(id);  // a tick queued before the timer went away
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace vq
