#include "widgets/xp_image_list.h"

#include <algorithm>
#include <utility>

namespace vq {

std::uint8_t GrayValue(Bgra pixel) {
    // Exact decimal weights in hundredths, so halves are recognised without floating point.
    const int sum = 30 * pixel.r + 59 * pixel.g + 11 * pixel.b;
    int value = sum / 100;
    const int rest = sum % 100;
    if (rest > 50 || (rest == 50 && value % 2 != 0)) {
        ++value;
    }
    return static_cast<std::uint8_t>(value);
}

int XPDrawMasterAlpha(std::uint32_t style, bool enabled) {
    if (!enabled) {
        return 128;
    }
    if (style & ildFocus) {
        return 210;
    }
    if (style & ildSelected) {
        return 150;
    }
    return 255;
}

std::uint8_t XPBlendChannel(std::uint8_t destination, std::uint8_t source, int effectiveAlpha) {
    return static_cast<std::uint8_t>(
        (destination * (256 - effectiveAlpha) + source * effectiveAlpha) / 256);
}

TXPImageList::TXPImageList(int width, int height)
    : FWidth(std::max(width, 0)), FHeight(std::max(height, 0)) {}

void TXPImageList::SetImagesBitmap(PixelSurface strip) {
    FImagesBitmap = std::move(strip);
    if (!FImagesBitmap.Empty()) {
        FCount = FWidth > 0 ? FImagesBitmap.Width() / FWidth : 0;
    }
    Change();
}

void TXPImageList::SetImagesBitmapMaskColor(std::uint32_t color) {
    if (color != FImagesBitmapMaskColor) {
        FImagesBitmapMaskColor = color;
        Change();
    }
}

void TXPImageList::Change() {
    if (OnChange) {
        OnChange();
    }
    // An empty strip leaves the previous grey copy in place.
    if (FImagesBitmap.Empty()) {
        return;
    }
    PixelSurface gray = FImagesBitmap;
    for (int y = 0; y < gray.Height(); ++y) {
        for (Bgra& p : gray.Row(y)) {
            const std::uint8_t v = GrayValue(p);
            p = Bgra{v, v, v, p.a};
        }
    }
    FGray = std::move(gray);
}

PixelSurface TXPImageList::Image(int index, bool enabled) const {
    if (index < 0 || index >= FCount) {
        return {};
    }
    const PixelSurface& source = enabled ? FImagesBitmap : FGray;
    PixelSurface image(FWidth, FHeight);
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            const int sx = index * FWidth + x;
            if (source.Contains(sx, y)) {
                image.At(x, y) = source.At(sx, y);
            }
        }
    }
    return image;
}

std::vector<std::uint8_t> TXPImageList::Mask(int index) const {
    const PixelSurface image = Image(index);
    const Bgra maskColour = BgraFromColorRef(FImagesBitmapMaskColor);
    std::vector<std::uint8_t> mask;
    mask.reserve(static_cast<std::size_t>(image.Width()) *
                 static_cast<std::size_t>(image.Height()));
    for (int y = 0; y < image.Height(); ++y) {
        for (const Bgra& p : image.Row(y)) {
            const bool same = p.r == maskColour.r && p.g == maskColour.g && p.b == maskColour.b;
            mask.push_back(same ? 1 : 0);
        }
    }
    return mask;
}

void TXPImageList::DoDraw(int Index, PixelSurface& Canvas, int X, int Y, std::uint32_t Style,
                          bool Enabled) const {
    XPDraw(Index, Canvas, X, Y, Style, Enabled);
}

void TXPImageList::DrawState(PixelSurface& Canvas, int X, int Y, int Index, bool Enabled,
                             bool /*Selected*/, bool /*Checked*/) const {
    DoDraw(Index, Canvas, X, Y, 0, Enabled);
}

void TXPImageList::XPDraw(int Index, PixelSurface& Canvas, int X, int Y, std::uint32_t Style,
                          bool Enabled) const {
    if (Index < 0 || Index >= FCount) {
        return;
    }
    const PixelSurface& source = Enabled ? FImagesBitmap : FGray;
    const int master = XPDrawMasterAlpha(Style, Enabled);
    // The blend works in place on the target: pixels outside the canvas, and cell pixels the
    // source does not hold (an emptied strip keeps the old image count), are skipped rather
    // than read out of bounds.
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            const int sx = Index * FWidth + x;
            if (!Canvas.Contains(X + x, Y + y) || !source.Contains(sx, y)) {
                continue;
            }
            const Bgra s = source.At(sx, y);
            Bgra& d = Canvas.At(X + x, Y + y);
            // At most 254: an opaque pixel at full master alpha still keeps 2/256 of the
            // background, as the original drawing did.
            const int a = master * s.a / 256;
            d = Bgra{XPBlendChannel(d.b, s.b, a), XPBlendChannel(d.g, s.g, a),
                     XPBlendChannel(d.r, s.r, a), XPBlendChannel(d.a, s.a, a)};
        }
    }
}

}  // namespace vq
