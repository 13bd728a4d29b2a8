#include "widgets/task_bar_win32.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

// The real taskbar object. Where the system has none (Wine has no ITaskbarList3), Open fails
// and UpdateBar takes its failure path without harm.
TEST(TaskBarWin32, UpdatesOrFailsQuietly) {
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"taskbar test", WS_POPUP, 0, 0,
                                        10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    Win32TaskbarPlatform platform(window);
    TTaskBar bar(platform);
    for (int i = 0; i < 7; ++i) bar.Button(i).SetIconId(i);
    bar.SetTaskBarButton(false);
    bar.SetThumbnailClipEnabled(false);
    const bool has_object = platform.Open() != nullptr;
    if (!has_object) RecordProperty("taskbar", "no ITaskbarList3: failure path taken");
    EXPECT_FALSE(bar.TaskBarButton());
    DestroyWindow(window);
}

}  // namespace
}  // namespace vq
