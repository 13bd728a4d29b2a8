#include "ui/hover_placement.h"

namespace vq {

ScreenPoint HoverPosition(ScreenPoint pointer, WindowSize size) {
    return {pointer.x - size.width, pointer.y - size.height - kHoverGapAbovePointer};
}

ScreenPoint ParkingPosition(WindowSize size) {
    return {-(size.width + kParkingMargin), -(size.height + kParkingMargin)};
}

void ShowBesidePointer(HoverWindow& window) {
    const std::optional<ScreenPoint> pointer = window.CursorPos();
    if (!pointer) return;
    const ScreenPoint place = HoverPosition(*pointer, window.OuterSize());
    window.PlaceShown(place);
    if (!window.VisibleMark()) {
        window.ShowNormal();
        window.Repaint();
        window.UpdateShadowPosition();
        window.PlaceShown(place);
    }
    window.UpdateShadowPosition();
}

void ParkHidden(HoverWindow& window) { window.PlaceHidden(ParkingPosition(window.OuterSize())); }

}  // namespace vq
