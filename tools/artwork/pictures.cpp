#include "tools/artwork/pictures.h"

#include <cmath>

#include "tools/artwork/canvas.h"

namespace vq::art {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A point at a distance and an angle (degrees clockwise from 12 o'clock) from a centre.
std::pair<double, double> At(double cx, double cy, double r, double deg) {
    const double a = deg * kPi / 180.0;
    return {cx + r * std::sin(a), cy - r * std::cos(a)};
}

Shape Spoke(double cx, double cy, double r1, double r2, double deg, double half_width) {
    const auto [x1, y1] = At(cx, cy, r1, deg);
    const auto [x2, y2] = At(cx, cy, r2, deg);
    return Capsule(x1, y1, x2, y2, half_width);
}

// An arrowhead at the end of an arc that runs clockwise to end_deg.
Shape ArrowHead(double cx, double cy, double r, double end_deg, double size) {
    // The tip points along the circle's clockwise tangent at the arc's end.
    const double a = end_deg * kPi / 180.0;
    const auto [ex, ey] = At(cx, cy, r, end_deg);
    const std::pair<double, double> tip{ex + 1.7 * size * std::cos(a),
                                        ey + 1.7 * size * std::sin(a)};
    return Polygon({tip, At(cx, cy, r + size, end_deg), At(cx, cy, r - size, end_deg)});
}

// Two arrows chasing each other round a circle.
void CircularArrows(Canvas& c, double cx, double cy, double r, double half_band,
                    const Paint& paint) {
    const double head = half_band * 2.2;
    c.Fill(Union(ArcBand(cx, cy, r - half_band, r + half_band, 20, 140),
                 ArrowHead(cx, cy, r, 140, head)),
           paint);
    c.Fill(Union(ArcBand(cx, cy, r - half_band, r + half_band, 200, 320),
                 ArrowHead(cx, cy, r, 320, head)),
           paint);
}

// A glossy round button of the status pictures.
void Button(Canvas& c, unsigned light, unsigned dark, unsigned rim) {
    c.Fill(Circle(20, 21, 18.6), Hex(0x000000, 0.18));  // soft ground shadow
    c.Fill(Circle(20, 20, 18.6), Hex(rim));
    c.Fill(Circle(20, 20, 17.4), Radial(15, 13, 24, Hex(light), Hex(dark)));
    c.Fill(Ellipse(20, 11.5, 12.5, 7.5),
           Linear(0, 4, Hex(0xFFFFFF, 0.55), 0, 18, Hex(0xFFFFFF, 0.0)));
}

// Letters drawn with strokes, for the few words the pictures carry: x, y is the letter's top
// left corner, w and h its size.
void LetterO(Canvas& c, double x, double y, double w, double h, double s, Rgba k) {
    c.Fill(Minus(Ellipse(x + w / 2, y + h / 2, w / 2, h / 2),
                 Ellipse(x + w / 2, y + h / 2, w / 2 - s, h / 2 - s)),
           k);
}
void LetterK(Canvas& c, double x, double y, double w, double h, double s, Rgba k) {
    const double hw = s / 2;
    c.Fill(Capsule(x + hw, y + hw, x + hw, y + h - hw, hw), k);
    c.Fill(Capsule(x + hw, y + h * 0.58, x + w - hw, y + hw, hw), k);
    c.Fill(Capsule(x + w * 0.38, y + h * 0.45, x + w - hw, y + h - hw, hw), k);
}
void LetterS(Canvas& c, double x, double y, double w, double h, double s, Rgba k) {
    const double r = h / 4;
    c.Fill(ArcBand(x + w / 2, y + r, r - s / 2, r + s / 2, 180, 60), k);
    c.Fill(ArcBand(x + w / 2, y + h - r, r - s / 2, r + s / 2, 0, 240), k);
}
void LetterT(Canvas& c, double x, double y, double w, double h, double s, Rgba k) {
    const double hw = s / 2;
    c.Fill(Capsule(x + hw, y + hw, x + w - hw, y + hw, hw), k);
    c.Fill(Capsule(x + w / 2, y + hw, x + w / 2, y + h - hw, hw), k);
}
void LetterP(Canvas& c, double x, double y, double w, double h, double s, Rgba k) {
    const double hw = s / 2, r = h * 0.27;
    c.Fill(Capsule(x + hw, y + hw, x + hw, y + h - hw, hw), k);
    c.Fill(Capsule(x + hw, y + hw, x + w - r - hw, y + hw, hw), k);
    c.Fill(Capsule(x + hw, y + 2 * r + hw, x + w - r - hw, y + 2 * r + hw, hw), k);
    c.Fill(ArcBand(x + w - r - hw, y + r + hw, r - hw, r + hw, 0, 180), k);
}

void Spinner(Canvas& c, int frame) {
    // Twelve spokes; the dark head stands near 11 o'clock in frame 0 and advances clockwise.
    const int head = (11 + frame) % 12;
    for (int spoke = 0; spoke < 12; ++spoke) {
        const int behind = (head - spoke + 12) % 12;
        const unsigned grey = behind == 0   ? 0x2E2E2E
                              : behind == 1 ? 0x5C5C5C
                              : behind == 2 ? 0x8C8C8C
                                            : 0xC4C4C4;
        c.Fill(Spoke(8, 8, 3.4, 6.9, spoke * 30.0, 0.95), Hex(grey));
    }
}

void CheckIcon(Canvas& c) {
    c.Fill(Circle(8, 8, 7.4), Hex(0x15701A));
    c.Fill(Circle(8, 8, 6.6), Radial(6, 5, 10, Hex(0x7FDB72), Hex(0x23A12B)));
    c.Fill(Union(Capsule(4.6, 8.4, 7, 10.8, 1.05), Capsule(7, 10.8, 11.4, 5.4, 1.05)),
           Hex(0xFFFFFF));
}

void BlockedIcon(Canvas& c) {
    c.Fill(Circle(8, 8, 7.4), Hex(0x8E1010));
    c.Fill(Circle(8, 8, 6.6), Radial(6, 5, 10, Hex(0xFF7A6E), Hex(0xD0261C)));
    c.Fill(Capsule(4.6, 8, 11.4, 8, 1.3), Hex(0xFFFFFF));
}

void GearIcon(Canvas& c) {
    Shape gear = Circle(8, 8, 5.0);
    for (int tooth = 0; tooth < 8; ++tooth)
        gear = Union(gear, Spoke(8, 8, 4.0, 6.6, tooth * 45.0 + 22.5, 1.25));
    c.Fill(Minus(gear, Circle(8, 8, 2.1)), Linear(3, 2, Hex(0xB9B9B9), 13, 14, Hex(0x5E5E5E)));
}

void ArrowsIcon(Canvas& c) {
    CircularArrows(c, 8, 8, 5.2, 1.05, Linear(2, 2, Hex(0x6ED46A), 14, 14, Hex(0x1C8A26)));
}

void PowerIcon(Canvas& c) {
    const Paint red = Linear(2, 2, Hex(0xF0604C), 14, 14, Hex(0xB31410));
    c.Fill(ArcBand(8, 8.6, 4.6, 6.5, 35, 325), red);
    c.Fill(Capsule(8, 1.6, 8, 7.6, 1.05), red);
}

void CubeIcon(Canvas& c) {
    const std::pair<double, double> top[] = {{8, 1.3}, {14.4, 4.6}, {8, 7.9}, {1.6, 4.6}};
    const std::pair<double, double> left[] = {{1.6, 4.6}, {8, 7.9}, {8, 14.8}, {1.6, 11.5}};
    const std::pair<double, double> right[] = {{8, 7.9}, {14.4, 4.6}, {14.4, 11.5}, {8, 14.8}};
    const auto face = [](const std::pair<double, double>(&p)[4]) {
        return Polygon({p[0], p[1], p[2], p[3]});
    };
    // An outline first, then the three faces slightly inside it.
    c.Fill(Polygon({{8, 0.4}, {15.3, 4.2}, {15.3, 12.0}, {8, 15.7}, {0.7, 12.0}, {0.7, 4.2}}),
           Hex(0x6B6B6B));
    c.Fill(face(top), Hex(0xFFFFFF));
    c.Fill(face(left), Hex(0xE6E6E6));
    c.Fill(face(right), Hex(0xD2D2D2));
    const Rgba pip = Hex(0x2B2B2B);
    c.Fill(Circle(8, 4.6, 1.0), pip);
    c.Fill(Circle(3.8, 7.6, 0.8), pip);
    c.Fill(Circle(5.9, 11.6, 0.8), pip);
    c.Fill(Circle(10.1, 8.0, 0.8), pip);
    c.Fill(Circle(11.2, 9.7, 0.8), pip);
    c.Fill(Circle(12.4, 11.4, 0.8), pip);
}

void Key(Canvas& c, double bx, double by, double angle_deg, unsigned light, unsigned dark) {
    const auto [ex, ey] = At(bx, by, 9.5, angle_deg);
    const Paint metal = Linear(bx - 3, by - 3, Hex(light), ex, ey, Hex(dark));
    c.Fill(Minus(Circle(bx, by, 3.1), Circle(bx, by, 1.2)), metal);
    c.Fill(Capsule(bx, by, ex, ey, 0.95), metal);
    for (const double r : {7.2, 9.0}) {
        const auto [tx, ty] = At(bx, by, r, angle_deg);
        const auto [ux, uy] = At(tx, ty, 2.0, angle_deg + 90);
        c.Fill(Capsule(tx, ty, ux, uy, 0.75), metal);
    }
}

void KeysIcon(Canvas& c) {
    Key(c, 4.2, 4.4, 135, 0xD8D8D8, 0x7A7A7A);
    Key(c, 11.6, 4.2, 225, 0xF6D25A, 0xB07A10);
}

}  // namespace

PixelSurface SpinnerStrip() {
    Canvas c(192, 16);
    for (int frame = 0; frame < 12; ++frame) {
        c.SetOrigin(frame * 16.0, 0);
        Spinner(c, frame);
    }
    return c.ToSurface();
}

PixelSurface NormalIconStrip() {
    Canvas c(112, 16);
    void (*const icons[])(Canvas&) = {CheckIcon, BlockedIcon, GearIcon, ArrowsIcon,
                                      PowerIcon, CubeIcon,    KeysIcon};
    for (int i = 0; i < 7; ++i) {
        c.SetOrigin(i * 16.0, 0);
        icons[i](c);
    }
    return c.ToSurface();
}

PixelSurface DrawStatusPicture(StatusPicture which) {
    Canvas c(40, 40);
    const Rgba white = Hex(0xFFFFFF);
    switch (which) {
    case StatusPicture::Connecting:
        Button(c, 0x86E07E, 0x1B8A24, 0x10561A);
        CircularArrows(c, 20, 20.5, 10.2, 2.3,
                       Linear(10, 10, Hex(0xFFF27A), 30, 31, Hex(0xE9A800)));
        break;
    case StatusPicture::Pause:
        Button(c, 0x86E07E, 0x1B8A24, 0x10561A);
        c.Fill(RoundRect(13, 11.5, 18, 29, 1.4), white);
        c.Fill(RoundRect(22, 11.5, 27, 29, 1.4), white);
        break;
    case StatusPicture::Connected:
        Button(c, 0x86E07E, 0x1B8A24, 0x10561A);
        LetterO(c, 8.5, 13, 11, 14, 2.6, white);
        LetterK(c, 22, 13, 10, 14, 2.6, white);
        break;
    case StatusPicture::Stop: {
        std::vector<std::pair<double, double>> outer, inner;
        for (int k = 0; k < 8; ++k) {
            outer.push_back(At(20, 20, 19.3, 22.5 + 45 * k));
            inner.push_back(At(20, 20, 17.3, 22.5 + 45 * k));
        }
        c.Fill(Polygon(outer), Hex(0x8A0C0C));
        c.Fill(Polygon(std::vector(outer)), Radial(20, 20, 20, Hex(0xFFFFFF), Hex(0xE9E9E9)));
        c.Fill(Polygon(inner), Radial(15, 13, 24, Hex(0xF2483C), Hex(0xB30F0F)));
        const double y = 15.5, h = 9, s = 1.7, w = 6.2;
        LetterS(c, 6.0, y, w, h, s, white);
        LetterT(c, 13.0, y, w, h, s, white);
        LetterO(c, 20.0, y, w, h, s, white);
        LetterP(c, 27.4, y, w, h, s, white);
        break;
    }
    }
    return c.ToSurface();
}

PixelSurface PieChart() {
    Canvas c(30, 24);
    struct Slice {
        double from, to;
        unsigned top, side;
    };
    const Slice slices[] = {{0, 130, 0x3D7FE0, 0x24509A},
                            {130, 215, 0xF4C430, 0xB38A12},
                            {215, 295, 0x4CBB47, 0x2C7A29},
                            {295, 360, 0xE8473B, 0x9E2219}};
    // The side of the disc first, a few pixels down, then its face.
    for (double depth = 4; depth > 0; depth -= 0.5)
        for (const auto& s : slices)
            c.Fill(Intersect(Ellipse(15, 10 + depth, 13.5, 9),
                             ArcBand(15, 10 + depth, 0, 40, s.from, s.to)),
                   Hex(s.side));
    for (const auto& s : slices)
        c.Fill(Intersect(Ellipse(15, 10, 13.5, 9), ArcBand(15, 10, 0, 40, s.from, s.to)),
               Radial(11, 6, 16, Mix(Hex(s.top), Hex(0xFFFFFF), 0.35), Hex(s.top)));
    c.Fill(Ellipse(15, 7.5, 9, 4.5), Hex(0xFFFFFF, 0.18));
    return c.ToSurface();
}

PixelSurface Globe() {
    Canvas c(74, 75);
    const double cx = 33, cy = 33, r = 30;
    c.Fill(Ellipse(36, 70, 28, 4), Hex(0x000000, 0.12));
    c.Fill(Circle(cx, cy, r + 1), Hex(0x5A5A5A));
    c.Fill(Circle(cx, cy, r), Radial(24, 20, 44, Hex(0xFAFAFA), Hex(0x8E8E8E)));
    const Shape ball = Circle(cx, cy, r - 0.5);
    const Rgba line = Hex(0x6E6E6E, 0.75);
    for (const double rx : {r, 19.0, 8.0})
        c.Fill(Intersect(ball, Minus(Ellipse(cx, cy, rx, r), Ellipse(cx, cy, rx - 1.1, r - 1.1))),
               line);
    c.Fill(Intersect(ball, Capsule(cx - r, cy, cx + r, cy, 0.6)), line);
    for (const double dy : {-16.0, 16.0}) {
        const double half = std::sqrt(r * r - dy * dy);
        c.Fill(Intersect(ball, Capsule(cx - half, cy + dy, cx + half, cy + dy, 0.55)), line);
    }
    c.Fill(Ellipse(24, 17, 13, 8), Hex(0xFFFFFF, 0.35));
    // The mouse, lower right, with its cable running up to the globe.
    c.Fill(Capsule(60, 47, 63, 40, 0.9), Hex(0x3C3C3C));
    c.Fill(Capsule(63, 40, 58, 33, 0.9), Hex(0x3C3C3C));
    c.Fill(RoundRect(49, 46, 71, 74, 10.5), Hex(0x4A4A4A));
    c.Fill(RoundRect(50, 47, 70, 73, 9.5), Linear(50, 47, Hex(0xFFFFFF), 70, 73, Hex(0xBDBDBD)));
    c.Fill(Capsule(50.5, 57, 69.5, 57, 0.45), Hex(0x7A7A7A));
    c.Fill(Capsule(60, 47.5, 60, 57, 0.45), Hex(0x7A7A7A));
    c.Fill(RoundRect(58.9, 49.5, 61.1, 54.5, 1.1), Hex(0x8A8A8A));
    return c.ToSurface();
}

PixelSurface Logo() {
    Canvas c(55, 32);
    // A blue tile with a white T under an orange orbit, and three rising bars.
    c.Fill(RoundRect(1.5, 2.5, 30.5, 31.5, 6), Hex(0x000000, 0.2));
    c.Fill(RoundRect(1, 1, 30, 30, 6), Linear(1, 1, Hex(0x4A9BEA), 30, 30, Hex(0x163F84)));
    c.Fill(RoundRect(2, 2, 29, 12, 5), Hex(0xFFFFFF, 0.18));
    c.Fill(Capsule(8.5, 9, 22.5, 9, 1.9), Hex(0xFFFFFF));
    c.Fill(Capsule(15.5, 9, 15.5, 24, 1.9), Hex(0xFFFFFF));
    c.Fill(ArcBand(15.5, 15.5, 10.6, 12.4, 200, 340), Hex(0xFF9A1F));
    const unsigned bars[] = {0x9DB7D8, 0x5E8CC8, 0x2F64B0};
    for (int i = 0; i < 3; ++i) {
        const double left = 35 + i * 6.5, top = 22 - i * 7;
        c.Fill(RoundRect(left, top, left + 4.5, 30, 1.4), Hex(bars[i]));
    }
    return c.ToSurface();
}

}  // namespace vq::art
