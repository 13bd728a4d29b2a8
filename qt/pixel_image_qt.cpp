#include "qt/pixel_image_qt.h"

#include <cstring>

// The pictures are compiled into a static library, whose resources register only when asked
// (and the request must come from the global namespace).
static void RegisterProgramPictures() { Q_INIT_RESOURCE(vq_pictures); }

namespace vq {

// Format_ARGB32 keeps each pixel as one 32-bit 0xAARRGGBB word, which on a little-endian machine
// lies in memory as blue, green, red, alpha: the surface's own order, so rows copy as they are.
static_assert(sizeof(Bgra) == sizeof(QRgb));

QImage ToQImage(const PixelSurface& surface) {
    QImage image(surface.Width(), surface.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < surface.Height(); ++y) {
        std::memcpy(image.scanLine(y), surface.Row(y).data(),
                    static_cast<std::size_t>(surface.Width()) * sizeof(Bgra));
    }
    return image;
}

QImage ToOpaqueQImage(const PixelSurface& surface) {
    QImage image(surface.Width(), surface.Height(), QImage::Format_RGB32);
    for (int y = 0; y < surface.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (const Bgra& p : surface.Row(y)) *line++ = qRgb(p.r, p.g, p.b);
    }
    return image;
}

PixelSurface ToPixelSurface(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    PixelSurface surface(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        std::memcpy(surface.Row(y).data(), argb.constScanLine(y),
                    static_cast<std::size_t>(argb.width()) * sizeof(Bgra));
    }
    return surface;
}

::QColor FromColorRef(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

std::optional<PixelSurface> LoadPicture(const QString& name) {
    static const bool registered = (RegisterProgramPictures(), true);
    (void)registered;
    const QImage image(QStringLiteral(":/vq/") + name);
    if (image.isNull()) return std::nullopt;
    return ToPixelSurface(image);
}

}  // namespace vq
