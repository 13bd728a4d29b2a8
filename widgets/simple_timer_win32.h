#pragma once
// The hidden window that all TSimpleTimer objects of the user-interface thread share: platform
// timers are set on it with the timer's identifier, and its WM_TIMER goes to the timer handler.

#include <windows.h>

#include "widgets/gdi_handles_win32.h"
#include "widgets/simple_timer.h"

namespace vq {

using UniqueTimerWindow = UniqueHandle<HWND, &DestroyWindow>;

class SimpleTimerWindow final : public TimerPlatform {
public:
    SimpleTimerWindow();
    ~SimpleTimerWindow() override = default;
    SimpleTimerWindow(const SimpleTimerWindow&) = delete;
    SimpleTimerWindow& operator=(const SimpleTimerWindow&) = delete;

    TSimpleTimerHandler& Handler() { return handler_; }
    HWND Handle() const { return window_.Get(); }

    bool SetTimer(std::uintptr_t id, std::uint32_t interval) override;
    bool KillTimer(std::uintptr_t id) override;

private:
    // The handle comes with the message: the window's first ones arrive before window_ is set.
    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    TSimpleTimerHandler handler_{*this};
    UniqueTimerWindow window_;
};

}  // namespace vq
