#include "widgets/shadow_geometry.h"

#include "widgets/shadow_frame.h"

#include <algorithm>

namespace vq {

namespace {

constexpr int kCellW = kShadowFrameCellWidth;   // 67
constexpr int kCellH = kShadowFrameCellHeight;  // 66

WindowRect Cell(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

// Source-over of a straight-alpha pixel onto a straight-alpha pixel.
Bgra Over(Bgra src, Bgra dst) {
    if (src.a == 255 || dst.a == 0) return src;
    if (src.a == 0) return dst;
    const int sa = src.a;
    const int da = dst.a * (255 - sa) / 255;
    const int outA = sa + da;
    auto mix = [&](int s, int d) {
        return static_cast<std::uint8_t>((s * sa + d * da + outA / 2) / outA);
    };
    return {mix(src.b, dst.b), mix(src.g, dst.g), mix(src.r, dst.r),
            static_cast<std::uint8_t>(outA)};
}

void DrawCell(PixelSurface& face, const PixelSurface& frame, const ShadowFrameCell& cell) {
    const WindowRect& d = cell.destination;
    const WindowRect& s = cell.source;
    if (d.Width() <= 0 || d.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0) return;
    const int x0 = std::max(d.left, 0), x1 = std::min(d.right, face.Width());
    const int y0 = std::max(d.top, 0), y1 = std::min(d.bottom, face.Height());
    for (int y = y0; y < y1; ++y) {
        // Sample at the centre of each destination pixel.
        const int sy =
            s.top + static_cast<int>((2LL * (y - d.top) + 1) * s.Height() / (2LL * d.Height()));
        for (int x = x0; x < x1; ++x) {
            const int sx =
                s.left + static_cast<int>((2LL * (x - d.left) + 1) * s.Width() / (2LL * d.Width()));
            if (!frame.Contains(sx, sy)) continue;
            face.At(x, y) = Over(frame.At(sx, sy), face.At(x, y));
        }
    }
}

}  // namespace

WindowRect ShadowRectFor(const WindowRect& owner) {
    return {owner.left - kShadowSpread, owner.top - kShadowSpread + kShadowDrop,
            owner.right + kShadowSpread, owner.bottom + kShadowSpread + kShadowDrop};
}

bool ShadowFrameFits(int width, int height) { return width > kCellW && height > kCellH; }

std::array<ShadowFrameCell, 8> ShadowFrameCells(const WindowRect& t) {
    const int w = t.Width(), h = t.Height();
    return {{
        {Cell(t.left, t.top, kCellW, kCellH), Cell(0, 0, kCellW, kCellH)},  // top left
        {Cell(t.right - kCellW, t.top, kCellW, kCellH),
         Cell(2 * kCellW, 0, kCellW, kCellH)},  // top right
        {Cell(t.left, t.bottom - kCellH, kCellW, kCellH),
         Cell(0, 2 * kCellH, kCellW, kCellH)},  // bottom left
        {Cell(t.right - kCellW, t.bottom - kCellH, kCellW, kCellH),
         Cell(2 * kCellW, 2 * kCellH, kCellW, kCellH)},  // bottom right
        // The horizontal edges take a 66-pixel strip: the frame's middle column without its
        // last pixel, which belongs to the right rim.
        {Cell(t.left + kCellW, t.bottom - kCellH, w - 2 * kCellW, kCellH),
         Cell(kCellW, 2 * kCellH, kCellH, kCellH)},  // bottom
        {Cell(t.left + kCellW, t.top, w - 2 * kCellW, kCellH),
         Cell(kCellW, 0, kCellH, kCellH)},  // top
        {Cell(t.left, t.top + kCellH, kCellW, h - 2 * kCellH),
         Cell(0, kCellH, kCellW, kCellH)},  // left
        {Cell(t.right - kCellW, t.top + kCellH, kCellW, h - 2 * kCellH),
         Cell(2 * kCellW, kCellH, kCellW, kCellH)},  // right
    }};
}

void DrawShadowFrame(PixelSurface& face, const PixelSurface& frame, const WindowRect& target) {
    if (!ShadowFrameFits(target.Width(), target.Height())) return;
    for (const ShadowFrameCell& cell : ShadowFrameCells(target)) DrawCell(face, frame, cell);
}

PixelSurface RenderShadowFace(const PixelSurface& frame, int width, int height) {
    PixelSurface face(width, height);  // transparent black
    DrawShadowFrame(face, frame, {0, 0, width, height});
    return face;
}

}  // namespace vq
