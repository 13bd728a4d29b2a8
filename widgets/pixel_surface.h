#pragma once
// A portable 32-bit pixel surface that the self-drawn controls render into: rows top to bottom,
// each pixel four bytes in memory order blue, green, red, alpha, as a 32-bit DIB section holds
// them. The Win32 shells only copy it to the screen.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vq {

struct Bgra {
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
    std::uint8_t a = 0;

    friend bool operator==(const Bgra&, const Bgra&) = default;
};
static_assert(sizeof(Bgra) == 4);

// A colour given as the platform's COLORREF-style 0x00BBGGRR value, opaque.
constexpr Bgra BgraFromColorRef(std::uint32_t color) {
    return {static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
            static_cast<std::uint8_t>(color), 0xFF};
}

class PixelSurface {
public:
    PixelSurface() = default;
    PixelSurface(int width, int height, Bgra fill = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    Bgra& At(int x, int y) { return pixels_[Index(x, y)]; }
    const Bgra& At(int x, int y) const { return pixels_[Index(x, y)]; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    std::span<Bgra> Row(int y) {
        return {pixels_.data() + Index(0, y), static_cast<std::size_t>(width_)};
    }
    std::span<const Bgra> Row(int y) const {
        return {pixels_.data() + Index(0, y), static_cast<std::size_t>(width_)};
    }
    Bgra* Data() { return pixels_.data(); }
    const Bgra* Data() const { return pixels_.data(); }
    std::size_t ByteSize() const { return pixels_.size() * sizeof(Bgra); }

    void Fill(Bgra colour);
    // Fills the rectangle [left, right) x [top, bottom), clipped to the surface.
    void FillRect(int left, int top, int right, int bottom, Bgra colour);
    void Resize(int width, int height, Bgra fill = {});

    friend bool operator==(const PixelSurface&, const PixelSurface&) = default;

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<Bgra> pixels_;
};

}  // namespace vq
