// The real pauses: a wake-up from another thread ends a pause that lets it, and a pause that
// waits wake-ups out drops them.

#include "auth/worker_time.h"

#include <thread>

#include <gtest/gtest.h>

namespace vq {
namespace {

using namespace std::chrono_literals;
using WakeUps = WorkerTime::WakeUps;

TEST(SystemWorkerTime, AWakeUpEndsAPauseThatLetsItAndIsTakenOnce) {
    SystemWorkerTime time;
    // A wake-up sent while the pause runs; should it be lost, the pause takes its whole minute
    // and reports that it was not woken.
    std::thread waker([&] {
        std::this_thread::sleep_for(50ms);
        time.WakeUp();
    });
    EXPECT_TRUE(time.Sleep(60s, WakeUps::EndThePause));
    waker.join();
    // One that came before the pause began ends it too; then none is left.
    time.WakeUp();
    EXPECT_TRUE(time.Sleep(60s, WakeUps::EndThePause));
    EXPECT_FALSE(time.Sleep(10ms, WakeUps::EndThePause));
}

TEST(SystemWorkerTime, APauseThatWaitsWakeUpsOutDropsThem) {
    SystemWorkerTime time;
    time.WakeUp();
    EXPECT_FALSE(time.Sleep(10ms, WakeUps::WaitThemOut));
    EXPECT_FALSE(time.Sleep(10ms, WakeUps::EndThePause))
        << "a wake-up outlived the pause that waited it out";
}

}  // namespace
}  // namespace vq
