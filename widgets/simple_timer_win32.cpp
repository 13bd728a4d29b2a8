#include "widgets/simple_timer_win32.h"

#include "widgets/window_procedure_win32.h"

namespace vq {

namespace {

constexpr wchar_t kClassName[] = L"VqSimpleTimerWindow";

// Registering again from a second window answers ERROR_CLASS_ALREADY_EXISTS, which is fine.
void RegisterTimerWindowClass(WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
}

}  // namespace

SimpleTimerWindow::SimpleTimerWindow() {
    RegisterTimerWindowClass(
        &WindowProcedure<SimpleTimerWindow, &SimpleTimerWindow::HandleMessage>);
    // A hidden top-level window: never shown, so it needs no size or style beyond WS_POPUP.
    window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), this));
}

bool SimpleTimerWindow::SetTimer(std::uintptr_t id, std::uint32_t interval) {
    return window_ && ::SetTimer(window_.Get(), id, interval, nullptr) != 0;
}

bool SimpleTimerWindow::KillTimer(std::uintptr_t id) {
    return window_ && ::KillTimer(window_.Get(), id) != FALSE;
}

LRESULT SimpleTimerWindow::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        handler_.HandleTimer(static_cast<std::uintptr_t>(wParam));
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace vq
