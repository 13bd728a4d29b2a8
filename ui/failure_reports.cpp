#include "ui/failure_reports.h"

namespace vq {

void HandleAuthError(MonitorView& view, std::u16string& errorMessage, std::uintptr_t wparam,
                     const char16_t* text, std::u16string_view serverName) {
    errorMessage = text ? std::u16string(text) : std::u16string();
    SetStatus(view, wparam == kLocalSocketFailure ? esConectionFailed : esServerInternalError,
              {serverName, errorMessage});
}

void HandleAuthFailed(MonitorView& view, const std::u16string& errorMessage,
                      std::u16string_view serverName) {
    SetStatus(view, esAuthFailed, {serverName, errorMessage});
}

}  // namespace vq
