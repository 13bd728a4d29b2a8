#pragma once
// Colour channels multiplied by their alpha, the form UpdateLayeredWindow and AlphaBlend with
// AC_SRC_ALPHA expect.

#include "widgets/pixel_surface.h"

namespace vq {

// Each colour channel becomes round(channel * alpha / 255); alpha is kept.
Bgra Premultiplied(Bgra pixel);
PixelSurface Premultiplied(const PixelSurface& surface);

}  // namespace vq
