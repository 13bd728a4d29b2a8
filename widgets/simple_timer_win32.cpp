#include "widgets/simple_timer_win32.h"

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
    RegisterTimerWindowClass(&WindowProc);
    // A hidden top-level window: never shown, so it needs no size or style beyond WS_POPUP.
    window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this));
}

bool SimpleTimerWindow::SetTimer(std::uintptr_t id, std::uint32_t interval) {
    return window_ && ::SetTimer(window_.Get(), id, interval, nullptr) != 0;
}

bool SimpleTimerWindow::KillTimer(std::uintptr_t id) {
    return window_ && ::KillTimer(window_.Get(), id) != FALSE;
}

LRESULT CALLBACK SimpleTimerWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<SimpleTimerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (msg == WM_TIMER && self) {
        self->handler_.HandleTimer(static_cast<std::uintptr_t>(wParam));
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace vq
