#pragma once
// The frame picture of the window drop shadow: a 201 x 198 RGBA picture cut into a 3 x 3 grid
// (columns of 67 pixels, rows of 66) whose eight outer cells are stretched around a window. From
// the outside in it holds a soft black shadow, an opaque light rim and a transparent centre. The
// program embeds it as the PNG resource "SHADOWFRAME"; GenerateShadowFrame draws the same picture,
// so the artwork can be rebuilt and a build without the resource still has a shadow.

#include "widgets/pixel_surface.h"

#include <array>
#include <cstdint>

namespace vq {

inline constexpr int kShadowFrameWidth = 201;
inline constexpr int kShadowFrameHeight = 198;
inline constexpr int kShadowFrameCellWidth = 67;
inline constexpr int kShadowFrameCellHeight = 66;

// Opacity of the shadow from its outer edge towards the window; each side uses the last so many
// steps of it (top 25, left 26, right 26 ending at 46, bottom 29).
inline constexpr std::array<std::uint8_t, 29> kShadowRamp = {1,  1,  1,  2,  3,  3,  5,  6,  7,  8,
                                                             9,  10, 12, 14, 15, 17, 19, 21, 23, 25,
                                                             27, 30, 32, 35, 37, 40, 43, 46, 49};

// Where the parts lie in the picture (inclusive pixel ranges).
struct ShadowFrameLayout {
    int rimLeft = 26, rimTop = 25, rimRight = 173, rimBottom = 166;      // the rim's outer edge
    int holeLeft = 66, holeTop = 64, holeRight = 132, holeBottom = 129;  // the transparent centre
    int rampTop = 25, rampLeft = 26, rampRight = 26, rampBottom = 29;    // shadow widths per side
    int rampTopLast = 24, rampLeftLast = 25, rampRightLast = 27,
        rampBottomLast = 28;  // last ramp step used
};
inline constexpr ShadowFrameLayout kShadowFrameLayout{};

inline constexpr Bgra kShadowRimColour{250, 250, 250, 255};
inline constexpr Bgra kShadowHoleColour{255, 255, 255, 0};

// Draws the frame picture. The corner cells follow a rounded outline; the middle cells repeat one
// profile along their length, so stretching them keeps it.
PixelSurface GenerateShadowFrame();

}  // namespace vq
