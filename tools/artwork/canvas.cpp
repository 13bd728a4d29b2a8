#include "tools/artwork/canvas.h"

#include <algorithm>
#include <cmath>

namespace vq::art {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 4;  // per axis

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

}  // namespace

Rgba Hex(unsigned rgb, double alpha) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Rgba Mix(const Rgba& from, const Rgba& to, double t) {
    t = Clamp01(t);
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Paint Solid(Rgba colour) {
    return [colour](double, double) { return colour; };
}

Paint Linear(double x1, double y1, Rgba a, double x2, double y2, Rgba b) {
    const double dx = x2 - x1, dy = y2 - y1, length2 = dx * dx + dy * dy;
    return [=](double x, double y) { return Mix(a, b, ((x - x1) * dx + (y - y1) * dy) / length2); };
}

Paint Radial(double cx, double cy, double r, Rgba inner, Rgba outer) {
    return [=](double x, double y) { return Mix(inner, outer, std::hypot(x - cx, y - cy) / r); };
}

Shape Circle(double cx, double cy, double r) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ellipse(double cx, double cy, double rx, double ry) {
    return [=](double x, double y) {
        const double u = (x - cx) / rx, v = (y - cy) / ry;
        return u * u + v * v <= 1.0;
    };
}

Shape Ring(double cx, double cy, double inner, double outer) {
    return [=](double x, double y) {
        const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d2 <= outer * outer && d2 >= inner * inner;
    };
}

Shape Capsule(double x1, double y1, double x2, double y2, double half_width) {
    return [=](double x, double y) {
        const double dx = x2 - x1, dy = y2 - y1, length2 = dx * dx + dy * dy;
        const double t =
            length2 == 0 ? 0 : std::clamp(((x - x1) * dx + (y - y1) * dy) / length2, 0.0, 1.0);
        const double px = x1 + t * dx - x, py = y1 + t * dy - y;
        return px * px + py * py <= half_width * half_width;
    };
}

Shape Polygon(std::vector<std::pair<double, double>> points) {
    return [points = std::move(points)](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const auto [xi, yi] = points[i];
            const auto [xj, yj] = points[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    };
}

Shape RoundRect(double left, double top, double right, double bottom, double radius) {
    return [=](double x, double y) {
        if (x < left || x > right || y < top || y > bottom) return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape ArcBand(double cx, double cy, double inner, double outer, double from_deg, double to_deg) {
    return [=](double x, double y) {
        const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (d2 > outer * outer || d2 < inner * inner) return false;
        double angle = std::atan2(x - cx, cy - y) * 180.0 / kPi;  // clockwise from 12 o'clock
        if (angle < 0) angle += 360.0;
        double from = std::fmod(from_deg + 720.0, 360.0), to = std::fmod(to_deg + 720.0, 360.0);
        return from <= to ? angle >= from && angle <= to : angle >= from || angle <= to;
    };
}

Shape Union(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) || b(x, y); };
}

Shape Minus(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

Shape Intersect(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      premultiplied_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                     Rgba{0, 0, 0, 0}) {}

void Canvas::Fill(const Shape& shape, const Paint& paint) {
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (shape(px + (sx + 0.5) / kSamples - dx_, py + (sy + 0.5) / kSamples - dy_))
                        ++hits;
            if (hits == 0) continue;
            const double coverage = static_cast<double>(hits) / (kSamples * kSamples);
            const Rgba c = paint(px + 0.5 - dx_, py + 0.5 - dy_);
            const double a = Clamp01(c.a) * coverage;
            Rgba& d = premultiplied_[static_cast<std::size_t>(py) * width_ + px];
            d.r = c.r * a + d.r * (1 - a);
            d.g = c.g * a + d.g * (1 - a);
            d.b = c.b * a + d.b * (1 - a);
            d.a = a + d.a * (1 - a);
        }
    }
}

PixelSurface Canvas::ToSurface() const {
    PixelSurface surface(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Rgba& p = premultiplied_[static_cast<std::size_t>(y) * width_ + x];
            const auto byte = [](double v) {
                return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0));
            };
            Bgra& out = surface.At(x, y);
            out.a = byte(p.a);
            if (p.a > 0) {
                out.r = byte(p.r / p.a);
                out.g = byte(p.g / p.a);
                out.b = byte(p.b / p.a);
            }
        }
    }
    return surface;
}

}  // namespace vq::art
