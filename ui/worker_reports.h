#pragma once
// What the monitor window does with each of the authorization worker's reports, apart from the
// window system: every shell (Win32, Qt) receives the report its own way and hands it here, then
// copies the changed view onto its controls.

#include <cstdint>
#include <functional>
#include <string>

#include "formats/value_list.h"
#include "identity/server_config.h"
#include "ui/monitor_view.h"

namespace vq {

// The window's state a report may change, and how the window answers a request for credentials.
struct WorkerReportTarget {
    MonitorView& view;
    std::u16string& errorMessage;  // the last failure's text, for the error panel
    ServerConfig& config;
    char16_t decimalSeparator;
    // WM_AUTH_NEED_DATA: fills "username", "groups" and "dname".
    std::function<void(TValueList&)> answerNeedData;
};

// One report, its payload as the worker sent it (a null payload is ignored). Unknown messages
// change nothing. Raises what the rules raise; the shell keeps it out of its event handling.
void HandleWorkerReport(WorkerReportTarget& target, unsigned msg, std::uintptr_t wParam,
                        void* lParam);

}  // namespace vq
