#pragma once
// A small anti-aliased painter for the program's artwork: shapes are inside-tests in pixel
// coordinates, sampled 4 x 4 times per pixel; paints give the colour at a point. Colours are
// straight (not premultiplied) RGBA in 0..1 and are laid "over" what is already there.

#include <functional>
#include <vector>

#include "widgets/pixel_surface.h"

namespace vq::art {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
};

Rgba Hex(unsigned rgb, double alpha = 1.0);
Rgba Mix(const Rgba& from, const Rgba& to, double t);

using Shape = std::function<bool(double x, double y)>;
using Paint = std::function<Rgba(double x, double y)>;

Paint Solid(Rgba colour);
// From colour a at (x1, y1) to colour b at (x2, y2), clamped beyond.
Paint Linear(double x1, double y1, Rgba a, double x2, double y2, Rgba b);
// From colour inner at the centre (cx, cy) to colour outer at radius r.
Paint Radial(double cx, double cy, double r, Rgba inner, Rgba outer);

Shape Circle(double cx, double cy, double r);
Shape Ellipse(double cx, double cy, double rx, double ry);
Shape Ring(double cx, double cy, double inner, double outer);
// A thick line with round ends.
Shape Capsule(double x1, double y1, double x2, double y2, double half_width);
Shape Polygon(std::vector<std::pair<double, double>> points);
Shape RoundRect(double left, double top, double right, double bottom, double radius);
// The part of a ring between two angles, in degrees clockwise from 12 o'clock.
Shape ArcBand(double cx, double cy, double inner, double outer, double from_deg, double to_deg);
Shape Union(Shape a, Shape b);
Shape Minus(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);

class Canvas {
public:
    Canvas(int width, int height);

    void Fill(const Shape& shape, const Paint& paint);
    void Fill(const Shape& shape, Rgba colour) { Fill(shape, Solid(colour)); }
    // Everything drawn from now on is shifted by (dx, dy): frames of a strip share a painter.
    void SetOrigin(double dx, double dy) {
        dx_ = dx;
        dy_ = dy;
    }

    PixelSurface ToSurface() const;

private:
    int width_, height_;
    double dx_ = 0, dy_ = 0;
    std::vector<Rgba> premultiplied_;  // r, g, b premultiplied by a
};

}  // namespace vq::art
