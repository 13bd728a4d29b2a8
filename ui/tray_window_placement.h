#pragma once
// Where the monitor window goes on a desktop whose tray does not report hover (Linux): it opens
// on a click, beside the tray icon when the tray tells where the icon is, beside the pointer
// otherwise. Trays lie at the bottom of the screen on some desktops and at the top on others,
// so the window goes above its anchor when there is room there and below it when not, and it is
// kept on the screen's work area, which the Windows placement never had to do.

#include <optional>

#include "ui/hover_placement.h"

namespace vq {

// A rectangle on the screen; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The gap between the tray icon and the window.
inline constexpr int kTrayIconGap = 4;

// The window's top-left corner for a window of `size` on the work area `screen`:
// - with the icon's rectangle: right edges aligned, above the icon with kTrayIconGap between
//   them, or below it when the space above is too small;
// - with the pointer only: the Windows hover place (HoverPosition), or below the pointer by the
//   same gap when that place would leave the top of the work area.
// Then moved the least needed to lie wholly on the work area (its top-left corner wins when the
// window is larger than the area).
ScreenPoint TrayWindowPosition(const std::optional<ScreenRect>& icon, ScreenPoint pointer,
                               WindowSize size, const ScreenRect& screen);

}  // namespace vq
