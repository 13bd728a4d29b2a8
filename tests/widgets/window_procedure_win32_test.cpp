// The window procedure shared by the shells' windows: the object arrives with WM_NCCREATE, gets
// the window's messages, and is let go at WM_NCDESTROY; a window without an object, or one whose
// object has detached, gets the default procedure.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "widgets/window_procedure_win32.h"

namespace vq {
namespace {

constexpr UINT kProbe = WM_APP + 7;

// Records the messages its handler receives; with kept_handle_ given to the procedure it also
// keeps its handle, and counts the Destroyed calls.
class Probe {
public:
    LRESULT Handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        received_.push_back(msg);
        handle_during_message_.push_back(kept_handle_);
        if (msg == kProbe) return 42;
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    void Destroyed() { ++destroyed_; }
    bool Received(UINT msg) const {
        return std::count(received_.begin(), received_.end(), msg) > 0;
    }

    HWND kept_handle_ = nullptr;
    std::vector<UINT> received_;
    std::vector<HWND> handle_during_message_;
    int destroyed_ = 0;
};

HWND MakeWindow(const wchar_t* className, WNDPROC procedure, Probe* object) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // fails harmlessly when the class is there already
    return CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, object);
}

constexpr WNDPROC kEveryMessage = &WindowProcedure<Probe, &Probe::Handle>;
constexpr WNDPROC kKeepsHandle =
    &WindowProcedure<Probe, &Probe::Handle, &Probe::kept_handle_, &Probe::Destroyed>;

TEST(WindowProcedure, WithoutAnObjectTheWindowGetsTheDefaultProcedure) {
    const HWND window = MakeWindow(L"VqProcedureProbeAll", kEveryMessage, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowObject<Probe>(window), nullptr);
    EXPECT_EQ(SendMessageW(window, kProbe, 0, 0), 0);
    DestroyWindow(window);
}

TEST(WindowProcedure, WithoutAKeptHandleTheObjectGetsEveryMessageUpToNcDestroy) {
    Probe probe;
    const HWND window = MakeWindow(L"VqProcedureProbeAll", kEveryMessage, &probe);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowObject<Probe>(window), &probe);
    ASSERT_FALSE(probe.received_.empty());
    EXPECT_EQ(probe.received_.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(SendMessageW(window, kProbe, 0, 0), 42);
    DestroyWindow(window);
    EXPECT_EQ(probe.received_.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(probe.destroyed_, 0);
}

TEST(WindowProcedure, AKeptHandleIsSetFromNcCreateAndClearedAtNcDestroy) {
    Probe probe;
    const HWND window = MakeWindow(L"VqProcedureProbeKept", kKeepsHandle, &probe);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(probe.kept_handle_, window);
    ASSERT_FALSE(probe.received_.empty());
    EXPECT_EQ(probe.received_.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(probe.handle_during_message_.front(), window);  // already there for WM_NCCREATE
    EXPECT_EQ(SendMessageW(window, kProbe, 0, 0), 42);
    DestroyWindow(window);
    EXPECT_EQ(probe.kept_handle_, nullptr);
    EXPECT_EQ(probe.destroyed_, 1);
    EXPECT_TRUE(probe.Received(WM_DESTROY));
    EXPECT_FALSE(probe.Received(WM_NCDESTROY));  // Destroyed is called instead
}

TEST(WindowProcedure, ADetachedObjectGetsNothingMore) {
    Probe probe;
    const HWND window = MakeWindow(L"VqProcedureProbeAll", kEveryMessage, &probe);
    ASSERT_NE(window, nullptr);
    DetachWindowObject(window);
    const std::size_t before = probe.received_.size();
    EXPECT_EQ(SendMessageW(window, kProbe, 0, 0), 0);
    DestroyWindow(window);
    EXPECT_EQ(probe.received_.size(), before);
}

}  // namespace
}  // namespace vq
