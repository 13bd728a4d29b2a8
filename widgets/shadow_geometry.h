#pragma once
// Where a window's drop shadow goes and how its face is cut from the frame picture: the shadow
// window covers the owner grown by 30 pixels on every side and dropped 3 pixels, and its face is
// the frame picture's eight outer cells laid around the face's rectangle (corners 1:1, edges
// stretched along their length, centre left transparent).

#include "widgets/pixel_surface.h"

#include <array>

namespace vq {

// A window rectangle in screen or face coordinates; right and bottom are exclusive.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

inline constexpr int kShadowSpread = 30;  // the shadow reaches this far beyond the owner
inline constexpr int kShadowDrop = 3;     // and is moved this far down

// The shadow window's rectangle for the owner's outer rectangle.
WindowRect ShadowRectFor(const WindowRect& owner);

// A face smaller than 68 x 67 pixels stays fully transparent.
bool ShadowFrameFits(int width, int height);

// One cell of the frame: where it is drawn and which part of the frame picture it stretches.
struct ShadowFrameCell {
    WindowRect destination;
    WindowRect source;
};

// The eight cells around (left, top, right, bottom), in drawing order: the four corners (top
// left, top right, bottom left, bottom right), then the bottom, top, left and right edges.
std::array<ShadowFrameCell, 8> ShadowFrameCells(const WindowRect& target);

// Draws the frame picture's cells around `target` onto `face` (source-over, clipped to the face),
// unless the target is smaller than 68 x 67. Edges are stretched by nearest pixel, which keeps
// their one-profile content exact. Cells of zero or negative size are skipped.
void DrawShadowFrame(PixelSurface& face, const PixelSurface& frame, const WindowRect& target);

// A fully transparent face of width x height with the frame drawn around its whole area.
PixelSurface RenderShadowFace(const PixelSurface& frame, int width, int height);

}  // namespace vq
