#include "qt/gui_thread_auth_owner_qt.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>
#include <vector>

namespace vq {
namespace {

// Runs the GUI thread's events until `done` or a generous deadline (a hang fails, not a slow
// machine).
template <typename Done>
bool ProcessEventsUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

TEST(GuiThreadAuthOwnerTest, EachReportRunsOnTheGuiThreadWhileTheWorkerWaits) {
    const std::thread::id gui = std::this_thread::get_id();
    std::vector<unsigned> handled;
    std::vector<int> seenByHandler;
    std::atomic<bool> handlerOnGuiThread{true};
    int value = 0;
    auto owner = std::make_shared<GuiThreadAuthOwner>(
        [&](unsigned message, std::uintptr_t wparam, void* lparam) {
            if (std::this_thread::get_id() != gui) handlerOnGuiThread = false;
            handled.push_back(message);
            // The handler may write into the worker's data, as WM_AUTH_NEED_DATA does.
            *static_cast<int*>(lparam) = static_cast<int>(wparam) * 10;
        });
    std::atomic<int> sent{0};
    std::thread worker([&] {
        for (unsigned m = 1; m <= 3; ++m) {
            owner->Send(m, m, &value);
            // The handler has returned: its answer is there.
            seenByHandler.push_back(value);
            ++sent;
        }
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return sent == 3; }));
    worker.join();
    EXPECT_TRUE(handlerOnGuiThread);
    EXPECT_EQ(handled, (std::vector<unsigned>{1, 2, 3}));
    EXPECT_EQ(seenByHandler, (std::vector<int>{10, 20, 30}));
}

TEST(GuiThreadAuthOwnerTest, DetachLetsAWaitingWorkerGoAndLaterReportsAreLost) {
    int calls = 0;
    auto owner =
        std::make_shared<GuiThreadAuthOwner>([&](unsigned, std::uintptr_t, void*) { ++calls; });
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        owner->Send(1, 0, nullptr);  // nobody runs the GUI thread's events: it waits
        returned = true;
    });
    // Most likely the report is queued by now; either way the GUI thread never handles it, and
    // the worker must come back.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(returned);
    owner->Detach();
    worker.join();
    EXPECT_TRUE(returned);
    owner->Send(2, 0, nullptr);  // returns at once
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

TEST(GuiThreadAuthOwnerTest, AHandlerThatDetachesTheOwnerLetsTheWorkerGo) {
    std::shared_ptr<GuiThreadAuthOwner> owner;
    int calls = 0;
    owner = std::make_shared<GuiThreadAuthOwner>([&](unsigned, std::uintptr_t, void*) {
        ++calls;
        owner->Detach();  // the window closes while it handles a report
    });
    std::atomic<int> returned{0};
    std::thread worker([&] {
        owner->Send(1, 0, nullptr);
        owner->Send(2, 0, nullptr);
        ++returned;
    });
    ASSERT_TRUE(ProcessEventsUntil([&] { return returned == 1; }));
    worker.join();
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vq
