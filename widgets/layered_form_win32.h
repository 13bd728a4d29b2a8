#pragma once
// TLayeredForm: a borderless top-level window whose whole appearance, alpha included, is one
// picture (its Face), pushed to the screen with UpdateLayeredWindow and per-pixel alpha. Its
// window is a tool window, so it never gets a taskbar button; it is created on first use.

#include <windows.h>

#include <optional>

#include "widgets/dib_section_win32.h"
#include "widgets/pixel_surface.h"
#include "widgets/shadow_geometry.h"

namespace vq {

class TLayeredForm {
public:
    TLayeredForm() = default;
    TLayeredForm(const TLayeredForm&) = delete;
    TLayeredForm& operator=(const TLayeredForm&) = delete;
    virtual ~TLayeredForm();

    // The window, created hidden on the first call; nullptr if the system refuses it.
    HWND Handle();
    bool HandleAllocated() const { return window_ != nullptr; }

    const PixelSurface& Face() const { return FFace; }
    // Takes the picture as the new face (straight alpha) and pushes it to the screen.
    void SetFace(PixelSurface face);

    // The form's place as it keeps it; the face is pushed there.
    const WindowRect& Bounds() const { return bounds_; }
    void SetBounds(const WindowRect& bounds) { bounds_ = bounds; }

protected:
    // Extended styles a derived form adds to WS_EX_TOOLWINDOW.
    virtual DWORD ExtraExStyle() const { return 0; }
    // Messages of the window; the default passes everything to DefWindowProcW.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // The window is gone: its face bitmap goes with it.
    void ReleaseFaceBitmap() { hbmp_.reset(); }
    void UpdateFace();

    HWND window_ = nullptr;
    PixelSurface FFace;  // what the window shows, straight alpha
    // The face premultiplied in a DIB section selected into its memory context; kept until the
    // next update.
    std::optional<DibSection> hbmp_;
    WindowRect bounds_;
};

}  // namespace vq
