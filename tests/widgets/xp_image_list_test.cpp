#include "widgets/xp_image_list.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vq {
namespace {

constexpr Bgra Pixel(int r, int g, int b, int a) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(a)};
}

// A strip of `count` images of w x h, image i filled with `colours[i]`.
PixelSurface Strip(int w, int h, const std::vector<Bgra>& colours) {
    PixelSurface strip(w * static_cast<int>(colours.size()), h);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const int left = static_cast<int>(i) * w;
        strip.FillRect(left, 0, left + w, h, colours[i]);
    }
    return strip;
}

TEST(XPImageList, CutsTheStripFromTheLeftIntoImagesOfTheListWidth) {
    struct Row {
        const char* name;
        int stripWidth;
        int count;
    };
    const std::vector<Row> rows = {{"twelve", 192, 12},
                                   {"seven", 112, 7},
                                   {"partial last column dropped", 40, 2},
                                   {"narrower than one image", 15, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TXPImageList list;
        list.SetImagesBitmap(PixelSurface(row.stripWidth, 16));
        EXPECT_EQ(list.Width(), 16);
        EXPECT_EQ(list.Height(), 16);
        EXPECT_EQ(list.Count(), row.count);
    }

    TXPImageList list(2, 2);
    list.SetImagesBitmap(Strip(2, 2, {Pixel(1, 2, 3, 4), Pixel(5, 6, 7, 8), Pixel(9, 9, 9, 9)}));
    EXPECT_EQ(list.Image(1), PixelSurface(2, 2, Pixel(5, 6, 7, 8)));
    EXPECT_TRUE(list.Image(3).Empty());
    EXPECT_TRUE(list.Image(-1).Empty());
}

TEST(XPImageList, GrayValueRoundsHalvesToEven) {
    struct Row {
        const char* name;
        Bgra pixel;
        int gray;
    };
    const std::vector<Row> rows = {
        {"pure green 150.45", Pixel(0, 255, 0, 255), 150},
        {"pure blue 28.05", Pixel(0, 0, 255, 255), 28},
        {"pure red 76.5 to even", Pixel(255, 0, 0, 255), 76},
        {"red 5 is 1.5, up to even", Pixel(5, 0, 0, 255), 2},
        {"red 15 is 4.5, down to even", Pixel(15, 0, 0, 255), 4},
        {"0.59 + 0.11 = 0.70 down", Pixel(0, 1, 1, 255), 1},
        {"white", Pixel(255, 255, 255, 0), 255},
        {"black", Pixel(0, 0, 0, 0), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GrayValue(row.pixel), row.gray);
    }
}

TEST(XPImageList, GrayCopyIsRebuiltOnChangeAndKeptWhenTheStripEmpties) {
    TXPImageList list(1, 1);
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    EXPECT_TRUE(list.Gray().Empty());

    list.SetImagesBitmap(Strip(1, 1, {Pixel(0, 255, 0, 77), Pixel(0, 0, 255, 200)}));
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(list.Gray().Width(), 2);
    EXPECT_EQ(list.Gray().At(0, 0), Pixel(150, 150, 150, 77));  // alpha unchanged
    EXPECT_EQ(list.Gray().At(1, 0), Pixel(28, 28, 28, 200));
    EXPECT_EQ(list.Image(1, false), PixelSurface(1, 1, Pixel(28, 28, 28, 200)));

    list.SetImagesBitmap(Strip(1, 1, {Pixel(255, 255, 255, 1)}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(list.Gray(), PixelSurface(1, 1, Pixel(255, 255, 255, 1)));
    EXPECT_EQ(list.Count(), 1);

    list.SetImagesBitmap(PixelSurface());
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(list.Gray(), PixelSurface(1, 1, Pixel(255, 255, 255, 1)));
    EXPECT_EQ(list.Count(), 1);  // the list is only refilled from a non-empty strip
}

TEST(XPImageList, MaskMarksExactlyTheMaskColour) {
    TXPImageList list(3, 1);
    PixelSurface strip(3, 1);
    strip.At(0, 0) = Pixel(255, 0, 255, 255);
    strip.At(1, 0) = Pixel(255, 0, 254, 255);
    strip.At(2, 0) = Pixel(255, 0, 255, 0);
    list.SetImagesBitmap(strip);
    EXPECT_EQ(list.Mask(0), (std::vector<std::uint8_t>{1, 0, 1}));

    list.SetImagesBitmapMaskColor(0x00FE00FF);  // red 255, blue 254
    EXPECT_EQ(list.Mask(0), (std::vector<std::uint8_t>{0, 1, 0}));
}

TEST(XPImageList, MasterAlphaTestsFocusBeforeSelected) {
    struct Row {
        const char* name;
        std::uint32_t style;
        bool enabled;
        int master;
    };
    const std::vector<Row> rows = {
        {"normal", 0, true, 255},
        {"focus", 2, true, 210},
        {"selected", 4, true, 150},
        {"focus and selected", 6, true, 210},
        {"other flags ignored", 1, true, 255},
        {"disabled", 0, false, 128},
        {"disabled focus", 2, false, 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(XPDrawMasterAlpha(row.style, row.enabled), row.master);
    }
}

TEST(XPImageList, XPDrawBlendsEveryChannelWithIntegerArithmetic) {
    struct Row {
        const char* name;
        Bgra source;
        Bgra background;
        std::uint32_t style;
        bool enabled;
        Bgra expected;
    };
    const std::vector<Row> rows = {
        // a = 255 * 255 div 256 = 254: 2/256 of the background stays.
        {"opaque over white", Pixel(255, 0, 0, 255), Pixel(255, 255, 255, 255), 0, true,
         Pixel(255, 1, 1, 255)},
        {"opaque over transparent black", Pixel(255, 0, 0, 255), Pixel(0, 0, 0, 0), 0, true,
         Pixel(253, 0, 0, 253)},
        // a = 210 * 128 div 256 = 105.
        {"focus, half alpha", Pixel(200, 100, 0, 128), Pixel(0, 0, 100, 255), 2, true,
         Pixel(82, 41, 58, 202)},
        // a = 150 * 255 div 256 = 149.
        {"selected", Pixel(255, 0, 0, 255), Pixel(100, 100, 100, 255), 4, true,
         Pixel(190, 41, 41, 255)},
        // Grey copy: green is 150; a = 127, so (255 * 129 + 150 * 127) div 256 = 202.
        {"disabled uses the grey copy", Pixel(0, 255, 0, 255), Pixel(255, 255, 255, 255), 0, false,
         Pixel(202, 202, 202, 255)},
        {"disabled over black", Pixel(0, 255, 0, 255), Pixel(0, 0, 0, 255), 0, false,
         Pixel(74, 74, 74, 255)},
        {"transparent source", Pixel(12, 34, 56, 0), Pixel(9, 8, 7, 6), 2, true, Pixel(9, 8, 7, 6)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TXPImageList list(1, 1);
        list.SetImagesBitmap(Strip(1, 1, {Pixel(0, 0, 0, 255), row.source}));
        PixelSurface canvas(3, 2, row.background);
        list.XPDraw(1, canvas, 2, 1, row.style, row.enabled);
        PixelSurface expected(3, 2, row.background);
        expected.At(2, 1) = row.expected;
        EXPECT_EQ(canvas, expected);
    }
}

TEST(XPImageList, OutOfRangeIndexOrEmptiedStripDrawsNothing) {
    TXPImageList list(2, 2);
    list.SetImagesBitmap(Strip(2, 2, {Pixel(255, 0, 0, 255), Pixel(0, 255, 0, 255)}));
    const PixelSurface background(4, 4, Pixel(10, 20, 30, 255));
    for (int index : {-1, 2}) {
        SCOPED_TRACE("index " + std::to_string(index));
        PixelSurface canvas = background;
        list.XPDraw(index, canvas, 1, 1, 0, true);
        list.DoDraw(index, canvas, 1, 1, 0, false);
        EXPECT_EQ(canvas, background);
    }

    // The list keeps its image count when the strip is emptied; the enabled source then holds
    // no pixels and nothing is read or drawn.
    list.SetImagesBitmap(PixelSurface());
    PixelSurface canvas = background;
    list.XPDraw(1, canvas, 1, 1, 0, true);
    EXPECT_EQ(canvas, background);
    list.XPDraw(1, canvas, 1, 1, 0, false);  // the grey copy survives
    EXPECT_NE(canvas, background);
}

TEST(XPImageList, DrawingIsClippedToTheCanvas) {
    TXPImageList list(2, 2);
    list.SetImagesBitmap(Strip(2, 2, {Pixel(255, 255, 255, 255)}));
    PixelSurface canvas(2, 2, Pixel(0, 0, 0, 255));
    list.XPDraw(0, canvas, -1, 1, 0, true);
    PixelSurface expected(2, 2, Pixel(0, 0, 0, 255));
    expected.At(0, 1) = Pixel(253, 253, 253, 255);  // only the cell's column 1, row 0 lands
    EXPECT_EQ(canvas, expected);
}

TEST(XPImageList, DrawStateDrawsSelectedAndCheckedLikeNormal) {
    TXPImageList list(1, 1);
    list.SetImagesBitmap(Strip(1, 1, {Pixel(200, 100, 50, 180)}));
    const PixelSurface background(1, 1, Pixel(40, 80, 120, 255));
    for (bool enabled : {true, false}) {
        PixelSurface normal = background;
        list.XPDraw(0, normal, 0, 0, 0, enabled);
        for (int flags = 0; flags < 4; ++flags) {
            SCOPED_TRACE("enabled " + std::to_string(enabled) + " flags " + std::to_string(flags));
            PixelSurface canvas = background;
            list.DrawState(canvas, 0, 0, 0, enabled, flags & 1, flags & 2);
            EXPECT_EQ(canvas, normal);
            EXPECT_NE(canvas, background);
        }
    }
}

}  // namespace
}  // namespace vq
