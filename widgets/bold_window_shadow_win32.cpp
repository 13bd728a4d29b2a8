#include "widgets/bold_window_shadow_win32.h"

#include <commctrl.h>

#include <utility>

namespace vq {

namespace {
constexpr UINT_PTR kSubclassId = 0x53484457;  // "SHDW"
}

TBoldWindowShadow::TBoldWindowShadow(HWND owner, const PixelSurface& frame,
                                     std::function<bool()> ownerVisible)
    : owner_(owner), ownerVisible_(std::move(ownerVisible)), state_(*this, frame) {
    // SetWindowSubclass chains the hook in front of the owner's procedure and hands every
    // message on with DefSubclassProc, whatever the hook did.
    hooked_ = SetWindowSubclass(owner_, &SubclassProc, kSubclassId,
                                reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

TBoldWindowShadow::~TBoldWindowShadow() { Unhook(); }

void TBoldWindowShadow::Unhook() {
    if (hooked_) RemoveWindowSubclass(owner_, &SubclassProc, kSubclassId);
    hooked_ = false;
}

LRESULT CALLBACK TBoldWindowShadow::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TBoldWindowShadow*>(data);
    if (message == WM_NCDESTROY) {
        self->Unhook();  // the owner goes first: nothing left to follow
        self->owner_ = nullptr;
        self->ShowShadow(false);
    } else {
        self->OwnerMessageHook(message, wParam, lParam);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void TBoldWindowShadow::OwnerMessageHook(UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_WINDOWPOSCHANGED) return;
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    WindowRect owner{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    // A change without a move or a resize (show, hide, z-order) need not carry the position:
    // take it from the window then.
    if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != 0) {
        if (const std::optional<WindowRect> current = OwnerRect()) owner = *current;
    }
    state_.OwnerPositionChanged(owner);
}

std::optional<WindowRect> TBoldWindowShadow::OwnerRect() {
    RECT r{};
    if (owner_ == nullptr || !GetWindowRect(owner_, &r)) return std::nullopt;
    return WindowRect{r.left, r.top, r.right, r.bottom};
}

bool TBoldWindowShadow::OwnerVisible() {
    if (owner_ == nullptr) return false;
    if (ownerVisible_) return ownerVisible_();
    return (GetWindowLongW(owner_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TBoldWindowShadow::PlaceShadow(const WindowRect& rect) {
    const HWND shadow = shadow_.Handle();
    if (shadow == nullptr) return;
    // The shadow shares its owner's owner, so that a shell that gives the owner no taskbar button
    // because it is owned gives the shadow none either. (Owned by the owner itself, it would have
    // to stay above it.)
    const HWND ownersOwner = owner_ ? GetWindow(owner_, GW_OWNER) : nullptr;
    if (GetWindow(shadow, GW_OWNER) != ownersOwner)
        SetWindowLongPtrW(shadow, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownersOwner));
    // Insert after the owner: directly below it in z-order (and topmost when it is).
    SetWindowPos(shadow, owner_, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOACTIVATE);
    shadow_.SetBounds(rect);
}

void TBoldWindowShadow::SetShadowFace(PixelSurface face) { shadow_.SetFace(std::move(face)); }

void TBoldWindowShadow::ShowShadow(bool visible) {
    if (!shadow_.HandleAllocated()) return;
    const HWND shadow = shadow_.Handle();
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (visible && owner_ != nullptr) {
        // ShowWindow would bring the shadow to the top, over its owner; SetWindowPos keeps it below.
        SetWindowPos(shadow, owner_, 0, 0, 0, 0, keep | SWP_SHOWWINDOW);
    } else {
        SetWindowPos(shadow, nullptr, 0, 0, 0, 0, keep | SWP_NOZORDER | SWP_HIDEWINDOW);
    }
}

}  // namespace vq
