#include "widgets/pixel_surface.h"

#include <cstring>

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(PixelSurface, RowsTopDownInBlueGreenRedAlphaOrder) {
    PixelSurface surface(3, 2, BgraFromColorRef(0x00FFFFFF));
    surface.At(2, 1) = BgraFromColorRef(0x00123456);  // red 0x56, green 0x34, blue 0x12
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(surface.Data());
    const std::uint8_t last[4] = {0x12, 0x34, 0x56, 0xFF};
    EXPECT_EQ(std::memcmp(bytes + (1 * 3 + 2) * 4, last, 4), 0);
    EXPECT_EQ(surface.ByteSize(), 24u);

    surface.FillRect(-5, -5, 2, 1, Bgra{1, 2, 3, 4});
    EXPECT_EQ(surface.At(0, 0), (Bgra{1, 2, 3, 4}));
    EXPECT_EQ(surface.At(1, 0), (Bgra{1, 2, 3, 4}));
    EXPECT_EQ(surface.At(2, 0), BgraFromColorRef(0x00FFFFFF));
    EXPECT_EQ(surface.At(0, 1), BgraFromColorRef(0x00FFFFFF));
}

}  // namespace
}  // namespace vq
