#include "ui/tray_window_placement.h"

#include <algorithm>

namespace vq {
namespace {

int KeepWithin(int start, int length, int low, int high) {
    // The start wins over the end when the window is larger than the span.
    return std::max(low, std::min(start, high - length));
}

}  // namespace

ScreenPoint TrayWindowPosition(const std::optional<WindowRect>& icon, ScreenPoint pointer,
                               WindowSize size, const WindowRect& screen) {
    ScreenPoint place;
    if (icon && icon->Width() > 0 && icon->Height() > 0) {
        place.x = icon->right - size.width;
        place.y = icon->top - kTrayIconGap - size.height;
        if (place.y < screen.top) place.y = icon->bottom + kTrayIconGap;
    } else {
        place = HoverPosition(pointer, size);
        if (place.y < screen.top) place.y = pointer.y + kHoverGapAbovePointer;
    }
    place.x = KeepWithin(place.x, size.width, screen.left, screen.right);
    place.y = KeepWithin(place.y, size.height, screen.top, screen.bottom);
    return place;
}

}  // namespace vq
