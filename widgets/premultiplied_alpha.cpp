#include "widgets/premultiplied_alpha.h"

namespace vq {
namespace {

std::uint8_t Scale(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

}  // namespace

Bgra Premultiplied(Bgra pixel) {
    return {Scale(pixel.b, pixel.a), Scale(pixel.g, pixel.a), Scale(pixel.r, pixel.a), pixel.a};
}

PixelSurface Premultiplied(const PixelSurface& surface) {
    PixelSurface result = surface;
    for (int y = 0; y < result.Height(); ++y) {
        for (Bgra& p : result.Row(y)) {
            p = Premultiplied(p);
        }
    }
    return result;
}

}  // namespace vq
