#pragma once
// The shadow frame picture as the program carries it: the PNG resource "SHADOWFRAME" (RCDATA,
// Russian language 1049), decoded once with GDI+ at start-up.

#include <windows.h>

#include "widgets/pixel_surface.h"

namespace vq {

// Decodes the module's "SHADOWFRAME" resource into a straight-alpha surface. When the module has
// no such resource (a test program) or it cannot be decoded, the generated picture is returned.
PixelSurface LoadShadowFrame(HMODULE module);

}  // namespace vq
