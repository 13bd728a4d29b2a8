#include "widgets/drop_shadow.h"

#include <utility>

namespace vq {

DropShadow::DropShadow(DropShadowPlatform& platform, const PixelSurface& frame)
    : platform_(platform), frame_(frame) {}

void DropShadow::ForceUpdatePosition() {
    const std::optional<WindowRect> owner = platform_.OwnerRect();
    if (!owner) {
        platform_.ShowShadow(false);
        return;
    }
    Place(ShadowRectFor(*owner));
}

void DropShadow::OwnerPositionChanged(const WindowRect& owner) { Place(ShadowRectFor(owner)); }

void DropShadow::Place(const WindowRect& shadow) {
    // Position first, so a new face is pushed at the new place; visibility last, so the shadow
    // never shows with a face of the wrong size.
    platform_.PlaceShadow(shadow);
    RedrawFace(shadow);
    platform_.ShowShadow(platform_.OwnerVisible());
}

void DropShadow::RedrawFace(const WindowRect& shadow) {
    const int width = shadow.Width(), height = shadow.Height();
    // The first placement always paints: the last rectangle starts empty and a shadow never is.
    if (width == lastDrawedRect_.Width() && height == lastDrawedRect_.Height()) return;
    platform_.SetShadowFace(RenderShadowFace(frame_, width, height));
    ++facesPainted_;
    lastDrawedRect_ = {0, 0, width, height};
}

}  // namespace vq
