#include "widgets/shadow_form_win32.h"

namespace vq {

LRESULT TShadowForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_SETFOCUS: {
        // wParam is the window that just lost the focus.
        const HWND previous = reinterpret_cast<HWND>(wParam);
        if (previous != nullptr && IsWindow(previous)) SetFocus(previous);
        return 0;
    }
    default: return TLayeredForm::WndProc(message, wParam, lParam);
    }
}

}  // namespace vq
