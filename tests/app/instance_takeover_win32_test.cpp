// The takeover of an earlier instance: only a window with exactly the monitor window's class and
// title is asked to close, one that does not answer does not hold up the start, and one that is
// busy for a while still closes once it pumps its messages again.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app/instance_takeover_win32.h"

namespace vq {
namespace {

using namespace std::chrono_literals;

// A top-level window on a thread of its own, as an earlier process's monitor window would be.
// It counts the WM_CLOSE requests it receives; a "hung" one stops handling messages once it has
// been created; a "busy" one sleeps that long after its creation, then pumps. Given a desktop
// name, the window lives on a desktop of that name instead of the test's own.
class EarlierWindow {
public:
    EarlierWindow(const wchar_t* className, const wchar_t* title, bool hung = false,
                  std::chrono::milliseconds busy = 0ms, const wchar_t* desktop = nullptr) {
        thread_ = std::thread([=, this] { Run(className, title, hung, busy, desktop); });
        while (!ready_) std::this_thread::sleep_for(1ms);
    }
    ~EarlierWindow() {
        release_ = true;
        PostThreadMessageW(threadId_, WM_NULL, 0, 0);  // wakes GetMessageW
        thread_.join();
    }
    int CloseRequests() const { return closes_; }
    bool Created() const { return created_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<EarlierWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (msg == WM_CLOSE && self) {
            ++self->closes_;
            return 0;  // counted, not closed: the test ends the window itself
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }

    void Run(const wchar_t* className, const wchar_t* title, bool hung,
             std::chrono::milliseconds busy, const wchar_t* desktopName) {
        threadId_ = GetCurrentThreadId();
        HDESK desktop = nullptr;
        if (desktopName) {
            // Before the thread has a window or a message queue, or it cannot change desktops.
            desktop = CreateDesktopW(desktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
            if (!desktop || !SetThreadDesktop(desktop)) {
                if (desktop) CloseDesktop(desktop);
                ready_ = true;
                return;
            }
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        // The monitor window's own class may be registered already by the window tests; either
        // way the window gets this test's procedure once it exists.
        const bool registered = RegisterClassW(&wc) != 0;
        window_ = CreateWindowExW(0, className, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        created_ = window_ != nullptr;
        ready_ = true;
        std::this_thread::sleep_for(busy);
        if (hung) {
            while (!release_) std::this_thread::sleep_for(5ms);
        }
        while (!release_ && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(window_);
        if (registered) UnregisterClassW(className, wc.hInstance);
        if (desktop) CloseDesktop(desktop);
    }

    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    HWND window_ = nullptr;
    std::atomic<bool> ready_{false};
    std::atomic<bool> created_{false};
    std::atomic<bool> release_{false};
    std::atomic<int> closes_{0};
};

TEST(InstanceTakeover, ClosesOnlyTheWindowWithBothClassAndTitle) {
    ASSERT_EQ(FindWindowW(kMonitorWindowClass, kMonitorWindowTitle), nullptr)
        << "a vq.exe is running";
    EXPECT_EQ(CloseEarlierInstance(), TakeoverResult::NoEarlierInstance);
    {
        EarlierWindow otherTitle(kMonitorWindowClass, L"TKVRMonitorForm");
        EarlierWindow otherClass(L"TKVRMonitorFormX", kMonitorWindowTitle);
        EXPECT_EQ(CloseEarlierInstance(), TakeoverResult::NoEarlierInstance);
        EXPECT_EQ(otherTitle.CloseRequests(), 0);
        EXPECT_EQ(otherClass.CloseRequests(), 0);
    }
    EarlierWindow earlier(kMonitorWindowClass, kMonitorWindowTitle);
    EXPECT_EQ(CloseEarlierInstance(), TakeoverResult::Closed);
    // The send is synchronous: the request has been handled when the call returns.
    EXPECT_EQ(earlier.CloseRequests(), 1);
}

// On a terminal server every user's session has window stations and desktops of its own, and
// FindWindowW looks only at the top-level windows of the caller's desktop: another user's instance
// is never found, let alone closed. What can be shown here is the narrower half: an instance on
// another desktop of the same session is not seen.
TEST(InstanceTakeover, AnInstanceOnAnotherDesktopIsNotSeen) {
    EarlierWindow elsewhere(kMonitorWindowClass, kMonitorWindowTitle, false, 0ms,
                            L"vq-takeover-other-desktop");
    ASSERT_TRUE(elsewhere.Created()) << "no window on a desktop of its own";
    EXPECT_EQ(CloseEarlierInstance(), TakeoverResult::NoEarlierInstance);
    EXPECT_EQ(elsewhere.CloseRequests(), 0);
    EarlierWindow here(kMonitorWindowClass, kMonitorWindowTitle);
    EXPECT_EQ(CloseEarlierInstance(), TakeoverResult::Closed);
    EXPECT_EQ(here.CloseRequests(), 1);
    EXPECT_EQ(elsewhere.CloseRequests(), 0);
}

TEST(InstanceTakeover, AnEarlierInstanceThatDoesNotAnswerDoesNotHoldUpTheStart) {
    EarlierWindow hung(kMonitorWindowClass, kMonitorWindowTitle, /*hung=*/true);
    EXPECT_EQ(CloseEarlierInstance(200ms), TakeoverResult::NotAnswering);
}

// Busy past the time-out (a slow shell call), and busy long enough for the system to count it
// hung, after which SMTO_ABORTIFHUNG gives up at once: either way the close request is not lost
// but handled as soon as the earlier instance pumps again.
TEST(InstanceTakeover, ABusyEarlierInstanceClosesOnceItPumpsAgain) {
    const struct {
        const char* name;
        std::chrono::milliseconds busy, timeout, before_asking;
    } cases[] = {
        {"slow past the time-out", 1500ms, 200ms, 0ms},
        {"counted hung by the system", 7000ms, 5000ms, 5500ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EarlierWindow busy(kMonitorWindowClass, kMonitorWindowTitle, false, c.busy);
        std::this_thread::sleep_for(c.before_asking);
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_EQ(CloseEarlierInstance(c.timeout), TakeoverResult::NotAnswering);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, c.timeout + 1000ms);
        EXPECT_EQ(busy.CloseRequests(), 0);
        const auto end = std::chrono::steady_clock::now() + c.busy + 10s;
        while (busy.CloseRequests() == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(20ms);
        // One request on Windows, where the given-up send is cancelled; a system that delivered
        // it late as well would show two, which closes the window all the same.
        EXPECT_GE(busy.CloseRequests(), 1) << "the close request was lost";
    }
}

}  // namespace
}  // namespace vq
