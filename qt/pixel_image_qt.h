#pragma once
// Pictures and colours between the portable code and Qt: the program's PNG files come from the
// resources compiled into it, and a surface drawn by the portable code becomes a QImage to paint.

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

#include "widgets/pixel_surface.h"

namespace vq {

// The straight-alpha surface as a QImage (a copy; the surface may go afterwards).
QImage ToQImage(const PixelSurface& surface);
// The surface as an opaque picture, its alpha ignored, as a window blits a device bitmap.
QImage ToOpaqueQImage(const PixelSurface& surface);
// The picture as a straight-alpha surface.
PixelSurface ToPixelSurface(const QImage& image);

// A colour given as the platform's COLORREF-style 0x00BBGGRR value.
::QColor FromColorRef(std::uint32_t color);

// The program's picture of that file name ("pic-conected.png"); nothing when it is missing or
// cannot be decoded.
std::optional<PixelSurface> LoadPicture(const QString& name);

}  // namespace vq
