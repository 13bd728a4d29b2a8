#include "widgets/shadow_frame.h"

#include <algorithm>
#include <cmath>

namespace vq {

namespace {

struct Ramp {
    int width;  // pixels of shadow on this side
    int last;   // index in kShadowRamp of the step next to the rim

    // Opacity of the pixel `distance` pixels out from the rim (1 = touching it).
    std::uint8_t AtDistance(int distance) const { return kShadowRamp[last - distance + 1]; }
    // Opacity at a fraction of the way from the outer edge (0) to the rim (1).
    std::uint8_t AtFraction(double fraction) const {
        const int step = std::clamp(static_cast<int>(fraction * width), 0, width - 1);
        return AtDistance(width - step);
    }
};

Bgra ShadowPixel(int alpha) { return {0, 0, 0, static_cast<std::uint8_t>(alpha)}; }

}  // namespace

PixelSurface GenerateShadowFrame() {
    constexpr ShadowFrameLayout l = kShadowFrameLayout;
    const Ramp top{l.rampTop, l.rampTopLast}, left{l.rampLeft, l.rampLeftLast};
    const Ramp right{l.rampRight, l.rampRightLast}, bottom{l.rampBottom, l.rampBottomLast};

    PixelSurface frame(kShadowFrameWidth, kShadowFrameHeight);
    for (int y = 0; y < frame.Height(); ++y) {
        for (int x = 0; x < frame.Width(); ++x) {
            const bool nearLeft = x < (l.rimLeft + l.rimRight) / 2;
            const bool nearTop = y < (l.rimTop + l.rimBottom) / 2;
            const Ramp& across = nearLeft ? left : right;  // ramp met moving sideways
            const Ramp& down = nearTop ? top : bottom;     // ramp met moving up or down
            const int dx = x < l.rimLeft ? l.rimLeft - x : (x > l.rimRight ? x - l.rimRight : 0);
            const int dy = y < l.rimTop ? l.rimTop - y : (y > l.rimBottom ? y - l.rimBottom : 0);

            Bgra& pixel = frame.At(x, y);
            if (dx > across.width || dy > down.width) continue;  // beyond the shadow: transparent
            if (dx == 0 && dy == 0) {
                if (x >= l.holeLeft && x <= l.holeRight && y >= l.holeTop && y <= l.holeBottom) {
                    pixel = kShadowHoleColour;
                    continue;
                }
                // The rim, with its three outermost corner pixels cut off and shaded instead.
                const int ex = std::min(x - l.rimLeft, l.rimRight - x);
                const int ey = std::min(y - l.rimTop, l.rimBottom - y);
                pixel = ex + ey >= 2
                            ? kShadowRimColour
                            : ShadowPixel((across.AtDistance(1) + down.AtDistance(1) + 1) / 2);
            } else if (dy == 0) {
                pixel = ShadowPixel(across.AtDistance(dx));
            } else if (dx == 0) {
                pixel = ShadowPixel(down.AtDistance(dy));
            } else {
                // Corner: an elliptical outline reaching each side's width, the opacity taken
                // from both side ramps weighted by direction so it meets them without a seam.
                const double u = (dx - 0.5) / across.width;
                const double v = (dy - 0.5) / down.width;
                const double t = std::hypot(u, v);
                if (t >= 1.0) continue;
                const double alpha =
                    (across.AtFraction(1.0 - t) * u + down.AtFraction(1.0 - t) * v) / (u + v);
                pixel = ShadowPixel(static_cast<int>(std::lround(alpha)));
            }
        }
    }
    return frame;
}

}  // namespace vq
