#include "widgets/task_bar_win32.h"

#include <gtest/gtest.h>

#include <memory>

namespace vq {
namespace {

// The real taskbar object. Where the system has none (Wine has no ITaskbarList3), Open fails
// and UpdateBar takes its failure path without harm.
TEST(TaskBarWin32, UpdatesOrFailsQuietly) {
    const HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"taskbar test", WS_POPUP, 0, 0, 10, 10,
                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
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

// A taskbar without the object: every UpdateBar is counted and goes no further.
class NoTaskbar final : public TaskbarPlatform {
public:
    bool HasTaskbarInterface() const override { return true; }
    std::unique_ptr<TaskbarList> Open() override { return nullptr; }
};

// What reached the window's own procedure.
struct Seen {
    int activate = 0;
    int command = 0;
};

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto* seen = reinterpret_cast<Seen*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
        if (message == WM_ACTIVATE) ++seen->activate;
        if (message == WM_COMMAND) ++seen->command;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Only a WM_ACTIVATE taken from the queue pushes the settings again; the one the system sends on
// every activation, or any sent one, does not.
TEST(TaskBarWin32, OnlyQueuedMessagesReachTheBar) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VqTaskBarHookTest";
    RegisterClassExW(&wc);
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"hook test", WS_POPUP,
                                        10, 10, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    Seen seen;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
    NoTaskbar platform;
    TTaskBar bar(platform);
    TTaskButton* clicked = nullptr;
    bar.Button(3).OnClick = [&](TTaskButton& sender) { clicked = &sender; };
    Pump();
    auto hook = std::make_unique<TaskBarMessageHook>(bar);
    ASSERT_TRUE(hook->Installed());

    struct Step {
        const char* name;
        void (*act)(HWND);
        bool pump;     // the queue is emptied after the step
        int updates;   // UpdateBar runs the step adds
        int activate;  // WM_ACTIVATE the window's procedure saw in the step
    };
    const Step steps[] = {
        {"activation by the system",
         [](HWND w) {
             ShowWindow(w, SW_SHOW);
             SetForegroundWindow(w);
             SetActiveWindow(w);
             EXPECT_EQ(GetActiveWindow(), w);
         },
         true, 0, 1},
        {"sent", [](HWND w) { SendMessageW(w, WM_ACTIVATE, WA_ACTIVE, 0); }, true, 0, 1},
        {"posted, only looked at",
         [](HWND w) {
             PostMessageW(w, WM_ACTIVATE, WA_ACTIVE, 0);
             MSG msg;
             PeekMessageW(&msg, w, WM_ACTIVATE, WM_ACTIVATE, PM_NOREMOVE);
         },
         false, 0, 0},
        {"posted, taken", [](HWND) {}, true, 1, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const int updates = bar.BarUpdates();
        const int activate = seen.activate;
        s.act(window);
        if (s.pump) Pump();
        EXPECT_EQ(bar.BarUpdates() - updates, s.updates);
        EXPECT_GE(seen.activate - activate, s.activate) << "WM_ACTIVATE did not reach the window";
    }

    // A thumbnail button's click is the bar's: its OnClick runs and no window procedure sees it.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(3, THBN_CLICKED), 0);
    Pump();
    EXPECT_EQ(clicked, &bar.Button(3));
    EXPECT_EQ(seen.command, 0);

    hook.reset();
    const int updates = bar.BarUpdates();
    PostMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    Pump();
    EXPECT_EQ(bar.BarUpdates(), updates) << "the hook is gone";
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

}  // namespace
}  // namespace vq
