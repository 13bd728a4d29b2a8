#pragma once
// Where the monitor window goes on a desktop whose tray does not report hover (Linux): it opens
// on a click, beside the tray icon when the tray tells where the icon is, beside the pointer
// otherwise. Trays lie at the bottom of the screen on some desktops and at the top on others,
// so the window goes above its anchor when there is room there and below it when not, and it is
// kept on the screen's work area, which the Windows placement never had to do.

#include <optional>

#include "ui/hover_placement.h"
#include "widgets/shadow_geometry.h"

namespace vq {

// The gap between the tray icon and the window.
inline constexpr int kTrayIconGap = 4;

// The window's top-left corner for a window of `size` on the work area `screen`:
// - with the icon's rectangle (an empty one counts as none): right edges aligned, above the
//   icon with kTrayIconGap between them, or below it when the space above is too small;
// - with the pointer only: the Windows hover place (HoverPosition), or below the pointer by the
//   same gap when that place would leave the top of the work area.
// Then moved the least needed to lie wholly on the work area (its top-left corner wins when the
// window is larger than the area).
ScreenPoint TrayWindowPosition(const std::optional<WindowRect>& icon, ScreenPoint pointer,
                               WindowSize size, const WindowRect& screen);

}  // namespace vq
