#include "widgets/dib_section_win32.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "formats/errors.h"
#include "widgets/premultiplied_alpha.h"

namespace vq {

DibSection::DibSection(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    // CreateDIBSection refuses a zero size; a 1 x 1 DIB stands in for an empty surface.
    info.bmiHeader.biWidth = std::max(width_, 1);
    info.bmiHeader.biHeight = -std::max(height_, 1);  // negative: rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || bits == nullptr || !dc_) {
        throw Exception("Cannot create a DIB section");
    }
    bits_ = static_cast<Bgra*>(bits);
    std::memset(bits, 0,
                static_cast<std::size_t>(std::max(width_, 1)) *
                    static_cast<std::size_t>(std::max(height_, 1)) * sizeof(Bgra));
    selection_ = ObjectSelection(dc_.Get(), bitmap_.Get());
}

DibSection::DibSection(const PixelSurface& surface)
    : DibSection(surface.Width(), surface.Height()) {
    CopyFrom(surface);
}

DibSection::DibSection(DibSection&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      bits_(std::exchange(other.bits_, nullptr)),
      bitmap_(std::move(other.bitmap_)),
      dc_(std::move(other.dc_)),
      selection_(std::move(other.selection_)) {}

DibSection& DibSection::operator=(DibSection&& other) noexcept {
    if (this != &other) {
        // Undo our own selection before our DC and bitmap are released.
        selection_ = std::move(other.selection_);
        dc_ = std::move(other.dc_);
        bitmap_ = std::move(other.bitmap_);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        bits_ = std::exchange(other.bits_, nullptr);
    }
    return *this;
}

void DibSection::CopyFrom(const PixelSurface& surface) {
    if (bits_ == nullptr) {
        return;
    }
    GdiFlush();  // GDI may still be writing to the memory
    const int width = std::min(width_, surface.Width());
    const int height = std::min(height_, surface.Height());
    for (int y = 0; y < height; ++y) {
        std::memcpy(bits_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
                    surface.Row(y).data(), static_cast<std::size_t>(width) * sizeof(Bgra));
    }
}

PixelSurface DibSection::ToSurface() const {
    PixelSurface surface(width_, height_);
    if (bits_ == nullptr || surface.Empty()) {
        return surface;
    }
    GdiFlush();
    std::memcpy(surface.Data(), bits_, surface.ByteSize());
    return surface;
}

bool UpdateLayeredWindowFromSurface(HWND window, const PixelSurface& surface, int x, int y,
                                    std::uint8_t opacity) {
    // Per-pixel alpha on a layered window expects premultiplied colours.
    DibSection dib(Premultiplied(surface));
    POINT position{x, y};
    SIZE size{surface.Width(), surface.Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    return UpdateLayeredWindow(window, nullptr, &position, &size, dib.Dc(), &origin, 0, &blend,
                               ULW_ALPHA) != FALSE;
}

}  // namespace vq
