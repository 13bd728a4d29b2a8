#pragma once
// The drop shadow's rules, apart from the window system: where the shadow window goes when the
// owner moves or changes size, when its face must be repainted (only when its size changes) and
// when it is shown. The Win32 component feeds it the owner's window messages and carries out its
// decisions through DropShadowPlatform.

#include "widgets/pixel_surface.h"
#include "widgets/shadow_geometry.h"

#include <optional>

namespace vq {

// What the shadow needs of the window system.
class DropShadowPlatform {
public:
    virtual ~DropShadowPlatform() = default;

    // The owner's outer rectangle on the screen (GetWindowRect), or nothing when it cannot be read.
    virtual std::optional<WindowRect> OwnerRect() = 0;
    // The owner's visible flag as the program keeps it; a platform-level hide may leave it set.
    virtual bool OwnerVisible() = 0;
    // Moves and sizes the shadow window to `rect`, directly below the owner in z-order, without
    // activating it.
    virtual void PlaceShadow(const WindowRect& rect) = 0;
    // Gives the shadow window a new face, which it pushes to the screen at its place.
    virtual void SetShadowFace(PixelSurface face) = 0;
    virtual void ShowShadow(bool visible) = 0;
};

class DropShadow {
public:
    // `frame` is the shadow frame picture; it must outlive this object.
    DropShadow(DropShadowPlatform& platform, const PixelSurface& frame);

    // Places, sizes, repaints when needed and shows or hides the shadow for the owner's current
    // rectangle; hides it when the rectangle cannot be read.
    void ForceUpdatePosition();
    // The owner's new rectangle from its position-changed notification.
    void OwnerPositionChanged(const WindowRect& owner);

    // The size of the face last painted, at the origin; all zero before the first placement.
    const WindowRect& LastDrawedRect() const { return lastDrawedRect_; }
    int FacesPainted() const { return facesPainted_; }

private:
    void Place(const WindowRect& shadow);
    void RedrawFace(const WindowRect& shadow);

    DropShadowPlatform& platform_;
    const PixelSurface& frame_;
    WindowRect lastDrawedRect_;
    int facesPainted_ = 0;
};

}  // namespace vq
