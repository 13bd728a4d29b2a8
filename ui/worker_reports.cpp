#include "ui/worker_reports.h"

#include "auth/auth_messages.h"
#include "formats/line_list.h"
#include "ui/account_summary.h"
#include "ui/failure_reports.h"

namespace vq {

void HandleWorkerReport(WorkerReportTarget& target, unsigned msg, std::uintptr_t wParam,
                        void* lParam) {
    switch (msg) {
    case WM_AUTH_ERROR:
        HandleAuthError(target.view, target.errorMessage, wParam,
                        static_cast<const char16_t*>(lParam), target.config.ServerName());
        break;
    case WM_AUTH_NEED_DATA:
        if (lParam && target.answerNeedData)
            target.answerNeedData(*static_cast<TValueList*>(lParam));
        break;
    case WM_AUTH_STATUS:
        if (lParam)
            HandleAuthStatus(target.view, *static_cast<const TValueList*>(lParam),
                             {target.config.ServerName(), target.errorMessage},
                             target.decimalSeparator);
        break;
    case WM_AUTH_GET_SERVER:
        if (lParam) target.config.HandleGetServer(*static_cast<LineList*>(lParam));
        break;
    case WM_AUTH_FAILED:
        HandleAuthFailed(target.view, target.errorMessage, target.config.ServerName());
        break;
    default: break;
    }
}

}  // namespace vq
