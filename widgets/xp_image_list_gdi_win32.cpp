#include "widgets/xp_image_list_gdi_win32.h"

#include <algorithm>
#include <vector>

#include "widgets/dib_section_win32.h"

namespace vq {

void XPDrawToDc(const TXPImageList& list, int Index, HDC dc, int X, int Y, std::uint32_t Style,
                bool Enabled) {
    if (Index < 0 || Index >= list.Count() || list.Width() <= 0 || list.Height() <= 0) {
        return;
    }
    try {
        DibSection temporary(list.Width(), list.Height());
        BitBlt(temporary.Dc(), 0, 0, list.Width(), list.Height(), dc, X, Y, SRCCOPY);
        PixelSurface pixels = temporary.ToSurface();
        list.XPDraw(Index, pixels, 0, 0, Style, Enabled);
        temporary.CopyFrom(pixels);
        BitBlt(dc, X, Y, list.Width(), list.Height(), temporary.Dc(), 0, 0, SRCCOPY);
    } catch (...) {
        // Painting reports nothing; without GDI resources the image is simply not drawn.
    }
}

UniqueIcon CreateIconFromImage(const TXPImageList& list, int index, bool enabled) {
    PixelSurface image = list.Image(index, enabled);
    if (image.Empty()) {
        return {};
    }
    const std::vector<std::uint8_t> masked = list.Mask(index);
    bool hasAlpha = false;
    for (int y = 0; y < image.Height() && !hasAlpha; ++y) {
        hasAlpha = std::any_of(image.Row(y).begin(), image.Row(y).end(),
                               [](const Bgra& p) { return p.a != 0; });
    }

    // Monochrome rows are padded to 16 bits (CreateBitmap); a set bit lets the screen through.
    const int stride = (image.Width() + 15) / 16 * 2;
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride) *
                                       static_cast<std::size_t>(image.Height()));
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            Bgra& p = image.At(x, y);
            const bool transparent = masked[static_cast<std::size_t>(y * image.Width() + x)] != 0 ||
                                     (hasAlpha && p.a == 0);
            if (transparent) {
                p = Bgra{};  // XORed onto the screen where the mask lets it through
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            } else if (!hasAlpha) {
                p.a = 0xFF;
            }
        }
    }

    try {
        DibSection colour(image);
        UniqueBitmap mask(CreateBitmap(image.Width(), image.Height(), 1, 1, maskBits.data()));
        if (!mask) {
            return {};
        }
        GdiFlush();
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = mask.Get();
        info.hbmColor = colour.Bitmap();
        // CreateIconIndirect copies both bitmaps; ours are released on return.
        return UniqueIcon(CreateIconIndirect(&info));
    } catch (...) {
        return {};
    }
}

}  // namespace vq
