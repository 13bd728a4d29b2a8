#include "widgets/hls_color.h"

#include <algorithm>

namespace vq {
namespace {

constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;
constexpr int kUndefinedHue = kHlsMax * 2 / 3;  // 160

}  // namespace

HlsColor ColorToHLS(QColor color) {
    const int r = RedOf(color);
    const int g = GreenOf(color);
    const int b = BlueOf(color);
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const int sum = max + min;

    HlsColor hls;
    hls.l = (sum * kHlsMax + kRgbMax) / (2 * kRgbMax);
    if (max == min) {
        hls.s = 0;
        hls.h = kUndefinedHue;
        return hls;
    }
    const int d = max - min;
    if (hls.l <= kHlsMax / 2)
        hls.s = (d * kHlsMax + sum / 2) / sum;
    else
        hls.s = (d * kHlsMax + (2 * kRgbMax - sum) / 2) / (2 * kRgbMax - sum);

    const int rd = ((max - r) * (kHlsMax / 6) + d / 2) / d;
    const int gd = ((max - g) * (kHlsMax / 6) + d / 2) / d;
    const int bd = ((max - b) * (kHlsMax / 6) + d / 2) / d;
    if (r == max)
        hls.h = bd - gd;
    else if (g == max)
        hls.h = kHlsMax / 3 + rd - bd;
    else
        hls.h = 2 * kHlsMax / 3 + gd - rd;
    if (hls.h < 0) hls.h += kHlsMax;
    if (hls.h > kHlsMax) hls.h -= kHlsMax;
    return hls;
}

int HueValue(int m1, int m2, int h) {
    if (h < 0) h += kHlsMax;
    if (h > kHlsMax) h -= kHlsMax;
    if (h < kHlsMax / 6) return m1 + ((m2 - m1) * h + kHlsMax / 12) / (kHlsMax / 6);
    if (h < kHlsMax / 2) return m2;
    if (h < 2 * kHlsMax / 3)
        return m1 + ((m2 - m1) * (2 * kHlsMax / 3 - h) + kHlsMax / 12) / (kHlsMax / 6);
    return m1;
}

QColor HLSToColor(int h, int l, int s) {
    if (s == 0) {
        const int grey = l * kRgbMax / kHlsMax;
        return RgbColor(grey, grey, grey);
    }
    const int m2 = l <= kHlsMax / 2 ? (l * (kHlsMax + s) + kHlsMax / 2) / kHlsMax
                                    : l + s - (l * s + kHlsMax / 2) / kHlsMax;
    const int m1 = 2 * l - m2;
    const auto channel = [&](int hue) {
        return (HueValue(m1, m2, hue) * kRgbMax + kHlsMax / 2) / kHlsMax;
    };
    // RgbColor keeps each channel's low 8 bits.
    return RgbColor(channel(h + kHlsMax / 3), channel(h), channel(h - kHlsMax / 3));
}

}  // namespace vq
