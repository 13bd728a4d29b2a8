#pragma once
// Pictures the program carries as PNG files in RCDATA resources, decoded with GDI+.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>

#include "widgets/pixel_surface.h"

namespace vq {

// Decodes a PNG (or any picture GDI+ reads) held in memory into a straight-alpha surface.
std::optional<PixelSurface> DecodePicture(std::span<const std::uint8_t> bytes);

// The RCDATA resource of that name, in the given language when the module has it there, else in
// any language; nothing when it is missing or cannot be decoded.
std::optional<PixelSurface> LoadPictureResource(HMODULE module, const wchar_t* name,
                                                WORD language = MAKELANGID(LANG_NEUTRAL,
                                                                           SUBLANG_NEUTRAL));

}  // namespace vq
