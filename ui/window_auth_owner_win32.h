#pragma once
// The monitor window as the authorization worker's owner: every report is a SendMessageW to the
// window, so the worker waits until the window's thread has handled it. Once the window is gone
// the report is lost, which is what the worker expects.

#include <windows.h>

#include <atomic>

#include "auth/auth_messages.h"

namespace vq {

class WindowAuthOwner final : public AuthOwner {
public:
    explicit WindowAuthOwner(HWND window) : window_(window) {}
    void Send(unsigned message, std::uintptr_t wparam, void* lparam) override {
        if (const HWND window = window_.load())
            SendMessageW(window, message, static_cast<WPARAM>(wparam),
                         reinterpret_cast<LPARAM>(lparam));
    }
    // The window is going: later reports go nowhere (a send to a destroyed window's handle could
    // otherwise reach a new window that was given the same handle).
    void Detach() { window_.store(nullptr); }

private:
    std::atomic<HWND> window_;
};

}  // namespace vq
