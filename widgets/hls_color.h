#pragma once
// Integer hue, lightness and saturation, each on a scale of 0 ... 240, as the classic Windows
// colour dialog counts them, with RGB channels 0 ... 255. The progress bar shades its colours in
// this space; all arithmetic is integer division that drops the fraction, so results are exact
// and repeatable.

#include <cstdint>

namespace vq {

// A colour as the bar keeps it: red in the lowest byte, green next, blue in the third byte.
using QColor = std::uint32_t;

constexpr QColor RgbColor(int r, int g, int b) {
    return static_cast<QColor>(r & 0xFF) | (static_cast<QColor>(g & 0xFF) << 8) |
           (static_cast<QColor>(b & 0xFF) << 16);
}
constexpr int RedOf(QColor c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(QColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(QColor c) { return static_cast<int>((c >> 16) & 0xFF); }

struct HlsColor {
    int h = 0;
    int l = 0;
    int s = 0;

    friend bool operator==(const HlsColor&, const HlsColor&) = default;
};

// The hue of a grey is undefined; it is reported as 160 with saturation 0.
HlsColor ColorToHLS(QColor color);
QColor HLSToColor(int h, int l, int s);
inline QColor HLSToColor(const HlsColor& hls) { return HLSToColor(hls.h, hls.l, hls.s); }
// One channel's level (0 ... 240) at hue h between the two magic levels m1 and m2.
int HueValue(int m1, int m2, int h);

}  // namespace vq
