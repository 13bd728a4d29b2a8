// Painting of TQProgressBar: single-pixel copies from the colour tables into the surface.
// Every table and layout lookup is bounds-checked: the tables can be older than the size (while
// LockInits is in force) and the smallest visible position can lie beyond a very short bar, and
// a position without an entry is simply not drawn.

#include <algorithm>
#include <cmath>

#include "widgets/q_progress_bar.h"

namespace vq {
namespace {

// Blocks start at this drawing position whatever the border; the inactive part never starts
// before it either.
constexpr int kFirstBlockStart = 3;

const QColor* Entry(const TCLRArray& table, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

void SetPixel(PixelSurface& surface, int x, int y, const QColor* color) {
    if (color && surface.Contains(x, y)) surface.At(x, y) = BgraFromColorRef(*color);
}

// The kind of a corner pixel of the rounded outline, tested against a circle of diameter
// `corner` at pixel centres: outside the arc, on it, or inside.
enum class CornerPixel { Outside, Outline, Inside };

CornerPixel ClassifyCorner(int dx, int dy, int corner) {
    const double radius = corner / 2.0;
    const double distance = std::hypot(dx + 0.5 - radius, dy + 0.5 - radius);
    if (distance > radius - 0.3) return CornerPixel::Outside;
    if (distance > radius - 1.3) return CornerPixel::Outline;
    return CornerPixel::Inside;
}

}  // namespace

TPosDescr TQProgressBar::PosAt(int s) const {
    if (s < 0 || static_cast<std::size_t>(s) >= fPosDescr.size()) return {};
    return fPosDescr[static_cast<std::size_t>(s)];
}

std::optional<QCaptionPlacement> TQProgressBar::Paint(PixelSurface& surface, QColor clear_color) {
    surface.Resize(fWidth, fHeight, BgraFromColorRef(clear_color));
    if (fHasShape) PaintShape(surface);
    if (fOrientation == boHorizontal)
        PaintHorizontal(surface);
    else
        PaintVertical(surface);

    if (fCaptionOvr) SetCaption(fShowPosAsPct ? PercentText() + u"%" : UserPosText());
    if (fCaption.empty()) return std::nullopt;
    return QCaptionPlacement{fCaption, fCapPos, fCanvasFont};
}

// One rounded rectangle (0, 0) - (W, H): a one-pixel outline in the shape colour around the
// background colour, the corners cut along a quarter circle of diameter fCorner.
void TQProgressBar::PaintShape(PixelSurface& surface) const {
    const int w = fWidth;
    const int h = fHeight;
    const QColor* outline = &fShapeClr;
    const QColor* inside = &fBkgClr;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Distance into the nearest corner square, if the pixel lies in one.
            const int dx = std::min(x, w - 1 - x);
            const int dy = std::min(y, h - 1 - y);
            if (dx + 0.5 < fCorner / 2.0 && dy + 0.5 < fCorner / 2.0) {
                switch (ClassifyCorner(dx, dy, fCorner)) {
                case CornerPixel::Outside: break;
                case CornerPixel::Outline: SetPixel(surface, x, y, outline); break;
                case CornerPixel::Inside: SetPixel(surface, x, y, inside); break;
                }
                continue;
            }
            SetPixel(surface, x, y, dx == 0 || dy == 0 ? outline : inside);
        }
    }
}

void TQProgressBar::PaintHorizontal(PixelSurface& surface) const {
    const int b = fBorderSize;
    const int n = fUSefullDrawSpace;
    const auto active = [&](int s) {
        if (s < 0 || static_cast<std::size_t>(s) >= fPixDescr.size()) return;
        const TCLRArray& column = fPixDescr[static_cast<std::size_t>(s)];
        for (int y = b - 1; y <= fHeight - b; ++y) SetPixel(surface, s, y, Entry(column, y));
    };
    const auto inactive = [&](int s) {
        for (int y = b - 1; y <= fHeight - b; ++y) SetPixel(surface, s, y, Entry(fInactDescr, y));
    };

    for (int s = b - 1; s <= fPosition; ++s) {
        if (!fByBlock) {
            active(s);
            continue;
        }
        const TPosDescr pos = PosAt(s);
        if (!pos.isInBlock) continue;
        if (fFullBlock && pos.blkLimit > fPosition) {
            if (fShowInactPos) inactive(s);
        } else {
            active(s);
        }
    }

    if (!fShowInactPos) return;
    const int first = fPosition < kFirstBlockStart ? kFirstBlockStart : fPosition + 1;
    for (int s = first; s <= n; ++s)
        if (!fByBlock || PosAt(s).isInBlock) inactive(s);
}

void TQProgressBar::PaintVertical(PixelSurface& surface) const {
    const int b = fBorderSize;
    const int n = fUSefullDrawSpace;
    const int top = fHeight - fPosition;  // the highest active row
    const auto active = [&](int s) {
        if (s < 0 || static_cast<std::size_t>(s) >= fPixDescr.size()) return;
        const TCLRArray& row = fPixDescr[static_cast<std::size_t>(s)];
        for (int x = b - 1; x <= fWidth - b; ++x) SetPixel(surface, x, s, Entry(row, x));
    };
    const auto inactive = [&](int s) {
        for (int x = b - 1; x <= fWidth - b; ++x) SetPixel(surface, x, s, Entry(fInactDescr, x));
    };

    for (int s = n - 1; s >= top; --s) {
        if (!fByBlock) {
            active(s);
            continue;
        }
        const TPosDescr pos = PosAt(s);
        if (!pos.isInBlock) continue;
        if (fFullBlock && pos.blkLimit < top) {
            if (fShowInactPos) inactive(s);
        } else {
            active(s);
        }
    }

    if (!fShowInactPos) return;
    const int first = fPosition < kFirstBlockStart ? n : top - 1;
    for (int s = first; s >= b; --s)
        if (!fByBlock || PosAt(s).isInBlock) inactive(s);
}

}  // namespace vq
