#include "widgets/premultiplied_alpha.h"

#include <vector>

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(PremultipliedAlpha, ScalesColourByAlphaRoundingToNearest) {
    struct Row {
        const char* name;
        Bgra pixel;
        Bgra expected;
    };
    const std::vector<Row> rows = {
        {"opaque unchanged", Bgra{10, 20, 30, 255}, Bgra{10, 20, 30, 255}},
        {"transparent to zero", Bgra{10, 20, 30, 0}, Bgra{0, 0, 0, 0}},
        // 255 * 128 / 255 = 128; 100 * 128 / 255 = 50.2; 1 * 128 / 255 = 0.502.
        {"half", Bgra{255, 100, 1, 128}, Bgra{128, 50, 1, 128}},
        // 1 * 127 / 255 = 0.498.
        {"just under a half", Bgra{1, 0, 0, 127}, Bgra{0, 0, 0, 127}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Premultiplied(row.pixel), row.expected);
        PixelSurface surface(2, 1, row.pixel);
        EXPECT_EQ(Premultiplied(surface), PixelSurface(2, 1, row.expected));
    }
}

}  // namespace
}  // namespace vq
