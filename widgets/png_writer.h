#pragma once
// Writes pixel surfaces as PNG files: the artwork generator's pictures and the figures of tests.

#include <filesystem>

#include "widgets/pixel_surface.h"

namespace vq {

// Writes the surface as an 8-bit RGBA PNG (non-interlaced, filter 0 on every row).
// Throws vq::Exception when the file cannot be written.
void WritePng(const PixelSurface& surface, const std::filesystem::path& file);

// Enlarges the surface by an integer factor, nearest neighbour, so single pixels stay visible.
PixelSurface Scaled(const PixelSurface& surface, int factor);

}  // namespace vq
