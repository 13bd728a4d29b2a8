#pragma once
// A 32-bit top-down DIB section selected into its own memory DC: the bridge between a portable
// PixelSurface and GDI (BitBlt, AlphaBlend, UpdateLayeredWindow, icons). Its pixel memory has
// exactly the surface's layout (blue, green, red, alpha; rows top to bottom, no padding).

#include <windows.h>

#include <cstdint>

#include "widgets/gdi_handles_win32.h"
#include "widgets/pixel_surface.h"

namespace vq {

class DibSection {
public:
    // A zeroed DIB of the given size. Throws vq::Exception when GDI refuses it.
    DibSection(int width, int height);
    explicit DibSection(const PixelSurface& surface);

    DibSection(DibSection&& other) noexcept;
    DibSection& operator=(DibSection&& other) noexcept;
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    ~DibSection() = default;

    int Width() const { return width_; }
    int Height() const { return height_; }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    // The memory DC with the bitmap selected, for BitBlt/AlphaBlend/UpdateLayeredWindow.
    HDC Dc() const { return dc_.Get(); }
    Bgra* Bits() { return bits_; }

    // Copies the overlapping area of the surface into the DIB.
    void CopyFrom(const PixelSurface& surface);
    // The DIB's pixels after any pending GDI drawing has landed.
    PixelSurface ToSurface() const;

private:
    int width_ = 0;
    int height_ = 0;
    Bgra* bits_ = nullptr;
    // Declaration order matters: the selection is undone before the DC and the bitmap go.
    UniqueBitmap bitmap_;
    UniqueMemoryDc dc_;
    ObjectSelection selection_;
};

// Puts a surface of straight (not premultiplied) alpha on a WS_EX_LAYERED window at (x, y) of
// the screen, with UpdateLayeredWindow and per-pixel alpha; opacity scales the whole window.
// Returns false when the window refuses it.
bool UpdateLayeredWindowFromSurface(HWND window, const PixelSurface& surface, int x, int y,
                                    std::uint8_t opacity = 255);

}  // namespace vq
