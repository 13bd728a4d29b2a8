#include "widgets/pixel_surface.h"

#include <algorithm>

namespace vq {

PixelSurface::PixelSurface(int width, int height, Bgra fill) { Resize(width, height, fill); }

void PixelSurface::Fill(Bgra colour) { std::fill(pixels_.begin(), pixels_.end(), colour); }

void PixelSurface::FillRect(int left, int top, int right, int bottom, Bgra colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    for (int y = top; y < bottom; ++y)
        std::fill(pixels_.begin() + static_cast<std::ptrdiff_t>(Index(left, y)),
                  pixels_.begin() + static_cast<std::ptrdiff_t>(Index(right, y)), colour);
}

void PixelSurface::Resize(int width, int height, Bgra fill) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill);
}

}  // namespace vq
