#pragma once
// An image list cut from one horizontal strip of 32-bit pixels with alpha, drawn blended over
// what is already on the target so that the soft edges and shadows of the icons survive. A grey
// copy of the strip serves for disabled images.

#include <cstdint>
#include <functional>
#include <vector>

#include "widgets/pixel_surface.h"

namespace vq {

// Image-list drawing flags (ILD_FOCUS, ILD_SELECTED) that change the master alpha of XPDraw.
inline constexpr std::uint32_t ildFocus = 2;
inline constexpr std::uint32_t ildSelected = 4;

// Pixels of exactly this colour are transparent in the list's mask (fuchsia, RGB(255, 0, 255)).
inline constexpr std::uint32_t clFuchsia = 0x00FF00FF;

class TXPImageList {
public:
    // The framework's image lists default to 16 x 16.
    explicit TXPImageList(int width = 16, int height = 16);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return FCount; }

    const PixelSurface& ImagesBitmap() const { return FImagesBitmap; }
    // Replaces the strip; when it is not empty the list is refilled by cutting it from the left
    // into images of the list's width. Raises Change in every case.
    void SetImagesBitmap(PixelSurface strip);

    std::uint32_t ImagesBitmapMaskColor() const { return FImagesBitmapMaskColor; }
    void SetImagesBitmapMaskColor(std::uint32_t color);

    // The greyed copy of the strip, rebuilt on every change of a non-empty strip.
    const PixelSurface& Gray() const { return FGray; }

    // Called whenever the images change; it runs before the grey copy is rebuilt, as the base
    // list's notification does.
    std::function<void()> OnChange;

    // Raises the change notification and rebuilds the grey copy.
    void Change();

    // One image as stored in the strip (or in the grey copy); pixels the strip does not cover
    // are fully transparent. An index out of range gives an empty surface.
    PixelSurface Image(int index, bool enabled = true) const;
    // The image's mask, row by row: 1 where the pixel has exactly the mask colour.
    std::vector<std::uint8_t> Mask(int index) const;

    void DoDraw(int Index, PixelSurface& Canvas, int X, int Y, std::uint32_t Style,
                bool Enabled) const;
    // Selected and checked images are drawn like normal ones.
    void DrawState(PixelSurface& Canvas, int X, int Y, int Index, bool Enabled, bool Selected,
                   bool Checked) const;
    // Blends image Index over Canvas at (X, Y); see the .cpp for the arithmetic.
    void XPDraw(int Index, PixelSurface& Canvas, int X, int Y, std::uint32_t Style,
                bool Enabled) const;

private:
    int FWidth;
    int FHeight;
    int FCount = 0;
    std::uint32_t FImagesBitmapMaskColor = clFuchsia;
    PixelSurface FImagesBitmap;  // every image side by side, FWidth apart
    PixelSurface FGray;          // the same strip in grey, for disabled drawing
};

// The grey value of one pixel: 0.30 red + 0.59 green + 0.11 blue, rounded to nearest with an
// exact half going to the even neighbour.
std::uint8_t GrayValue(Bgra pixel);

// The master alpha XPDraw uses for a style and enabled state.
int XPDrawMasterAlpha(std::uint32_t style, bool enabled);

// One channel blended with integer arithmetic: a := (M * source alpha) div 256;
// (destination * (256 - a) + source * a) div 256.
std::uint8_t XPBlendChannel(std::uint8_t destination, std::uint8_t source, int effectiveAlpha);

}  // namespace vq
