#include "widgets/layered_form_win32.h"

#include <utility>

#include "widgets/gdi_handles_win32.h"
#include "widgets/premultiplied_alpha.h"
#include "widgets/window_procedure_win32.h"

namespace vq {

namespace {

constexpr wchar_t kClassName[] = L"TLayeredForm";

bool RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    // Registering again from a second form finds the class already there.
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

TLayeredForm::~TLayeredForm() {
    if (window_ != nullptr) {
        DetachWindowObject(window_);
        DestroyWindow(window_);
    }
}

HWND TLayeredForm::Handle() {
    if (window_ != nullptr) return window_;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    constexpr WNDPROC procedure =
        &WindowProcedure<TLayeredForm, &TLayeredForm::WndProc, &TLayeredForm::window_,
                         &TLayeredForm::ReleaseFaceBitmap>;
    if (!RegisterFormClass(instance, procedure)) return nullptr;
    // No owner: an owned window is always kept above its owner, and the shadow must sit below.
    CreateWindowExW(WS_EX_TOOLWINDOW | ExtraExStyle(), kClassName, L"", WS_POPUP, bounds_.left,
                    bounds_.top, bounds_.Width(), bounds_.Height(), nullptr, nullptr, instance,
                    this);
    return window_;  // set on WM_NCCREATE
}

void TLayeredForm::SetFace(PixelSurface face) {
    FFace = std::move(face);
    UpdateFace();
}

void TLayeredForm::UpdateFace() {
    if (FFace.Width() <= 1 || window_ == nullptr) return;
    // The window is a border-less popup from the start; the layered style must be in effect
    // before UpdateLayeredWindow.
    const LONG exStyle = GetWindowLongW(window_, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) == 0) {
        SetLastError(0);
        if (SetWindowLongW(window_, GWL_EXSTYLE, exStyle | WS_EX_LAYERED) == 0 &&
            GetLastError() != 0)
            return;
    }
    try {
        hbmp_.reset();
        hbmp_.emplace(Premultiplied(FFace));
    } catch (...) {
        return;  // no DIB: leave what is on the screen
    }
    bounds_.right = bounds_.left + FFace.Width();
    bounds_.bottom = bounds_.top + FFace.Height();

    const WindowDc screen(nullptr);
    POINT position{bounds_.left, bounds_.top};
    SIZE size{bounds_.Width(), bounds_.Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window_, screen.Get(), &position, &size, hbmp_->Dc(), &origin, 0, &blend,
                        ULW_ALPHA);
}

LRESULT TLayeredForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vq
