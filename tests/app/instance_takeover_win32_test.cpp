// The takeover of an earlier instance: only a window with exactly the monitor window's class and
// title is asked to close, and one that does not answer does not hold up the start.

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
// been created.
class EarlierWindow {
public:
    EarlierWindow(const wchar_t* className, const wchar_t* title, bool hung = false) {
        thread_ = std::thread([=, this] { Run(className, title, hung); });
        while (!ready_) std::this_thread::sleep_for(1ms);
    }
    ~EarlierWindow() {
        release_ = true;
        PostThreadMessageW(threadId_, WM_NULL, 0, 0);  // wakes GetMessageW
        thread_.join();
    }
    int CloseRequests() const { return closes_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<EarlierWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (msg == WM_CLOSE && self) {
            ++self->closes_;
            return 0;  // counted, not closed: the test ends the window itself
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }

    void Run(const wchar_t* className, const wchar_t* title, bool hung) {
        threadId_ = GetCurrentThreadId();
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        // The monitor window's own class may be registered already by the window tests; either
        // way the window gets this test's procedure once it exists.
        const bool registered = RegisterClassW(&wc) != 0;
        window_ = CreateWindowExW(0, className, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                  nullptr);
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ready_ = true;
        if (hung) {
            while (!release_) std::this_thread::sleep_for(5ms);
        }
        while (!release_ && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(window_);
        if (registered) UnregisterClassW(className, wc.hInstance);
    }

    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    HWND window_ = nullptr;
    std::atomic<bool> ready_{false};
    std::atomic<bool> release_{false};
    std::atomic<int> closes_{0};
};

TEST(InstanceTakeover, ClosesOnlyTheWindowWithBothClassAndTitle) {
    ASSERT_EQ(FindWindowW(kMonitorWindowClass, kMonitorWindowTitle), nullptr) << "a vq.exe is running";
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

TEST(InstanceTakeover, AnEarlierInstanceThatDoesNotAnswerDoesNotHoldUpTheStart) {
    EarlierWindow hung(kMonitorWindowClass, kMonitorWindowTitle, /*hung=*/true);
    EXPECT_EQ(CloseEarlierInstance(200ms), TakeoverResult::NotAnswering);
}

}  // namespace
}  // namespace vq
