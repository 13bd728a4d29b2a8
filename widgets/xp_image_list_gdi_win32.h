#pragma once
// The image list on GDI: menu items draw their images into a device context, and the tray icon
// takes icons out of the list by index.

#include <windows.h>

#include <cstdint>

#include "widgets/gdi_handles_win32.h"
#include "widgets/xp_image_list.h"

namespace vq {

// Blends image Index over dc at (X, Y): the target's pixels are read into a DIB of one image's
// size, blended there as XPDraw does, and copied back. An index out of range draws nothing.
void XPDrawToDc(const TXPImageList& list, int Index, HDC dc, int X, int Y, std::uint32_t Style,
                bool Enabled);

// An icon of image index: a 32-bit colour bitmap with the image's alpha and a mask that is set
// where the pixel has the list's mask colour (and, when the image carries alpha, where it is
// fully transparent). Empty when the index is out of range or GDI fails.
UniqueIcon CreateIconFromImage(const TXPImageList& list, int index, bool enabled = true);

}  // namespace vq
