#pragma once
// The shadow frame picture as the program carries it: the PNG resource "SHADOWFRAME" (RCDATA,
// Russian language 1049), decoded once with GDI+ at start-up.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>

#include "widgets/pixel_surface.h"

namespace vq {

// Decodes the module's "SHADOWFRAME" resource into a straight-alpha surface. When the module has
// no such resource (a test program) or it cannot be decoded, the generated picture is returned.
PixelSurface LoadShadowFrame(HMODULE module);

// Decodes a PNG (or any picture GDI+ reads) held in memory into a straight-alpha surface.
std::optional<PixelSurface> DecodePicture(std::span<const std::uint8_t> bytes);

}  // namespace vq
