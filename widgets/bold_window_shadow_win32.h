#pragma once
// TBoldWindowShadow: gives a border-less window (its owner) a soft drop shadow. It hooks the
// owner's window procedure, re-places the shadow window on every WM_WINDOWPOSCHANGED (move,
// resize, show, hide, z-order) before the owner handles it, and repaints the shadow's face only
// when its size changes. The rules live in DropShadow; this class is the window-system side.

#include <windows.h>

#include <functional>

#include "widgets/drop_shadow.h"
#include "widgets/shadow_form_win32.h"

namespace vq {

class TBoldWindowShadow : private DropShadowPlatform {
public:
    // `frame` is the shadow frame picture (LoadShadowFrame) and must outlive the component.
    // `ownerVisible` answers the owner's visible flag as the program keeps it; by default the
    // window's own WS_VISIBLE.
    TBoldWindowShadow(HWND owner, const PixelSurface& frame,
                      std::function<bool()> ownerVisible = {});
    TBoldWindowShadow(const TBoldWindowShadow&) = delete;
    TBoldWindowShadow& operator=(const TBoldWindowShadow&) = delete;
    ~TBoldWindowShadow() override;

    void ForceUpdatePosition() { state_.ForceUpdatePosition(); }

    TShadowForm& Shadow() { return shadow_; }
    const DropShadow& State() const { return state_; }

protected:
    // Sees each of the owner's messages before the owner does; acts on WM_WINDOWPOSCHANGED only.
    virtual void OwnerMessageHook(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    void Unhook();

    std::optional<WindowRect> OwnerRect() override;
    bool OwnerVisible() override;
    void PlaceShadow(const WindowRect& rect) override;
    void SetShadowFace(PixelSurface face) override;
    void ShowShadow(bool visible) override;

    HWND owner_;
    std::function<bool()> ownerVisible_;
    bool hooked_ = false;
    TShadowForm shadow_;
    DropShadow state_;
};

}  // namespace vq
