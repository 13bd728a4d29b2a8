#pragma once
// The window's side of the worker's two failure reports: a failed exchange (WM_AUTH_ERROR) and
// refused credentials (WM_AUTH_FAILED).

#include <cstdint>
#include <string>

#include "ui/status_setter.h"

namespace vq {

// WM_AUTH_ERROR's wParam for a local socket failure; any other value is any other failure.
inline constexpr std::uintptr_t kLocalSocketFailure = 1;

// Copies the text into `errorMessage` (a null text reads as empty), then sets esConectionFailed
// for wParam 1 and esServerInternalError otherwise.
void HandleAuthError(MonitorView& view, std::u16string& errorMessage, std::uintptr_t wparam,
                     const char16_t* text, std::u16string_view serverName);

// Sets esAuthFailed.
void HandleAuthFailed(MonitorView& view, const std::u16string& errorMessage,
                      std::u16string_view serverName);

}  // namespace vq
