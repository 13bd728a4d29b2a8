#include "widgets/shadow_frame.h"
#include "widgets/shadow_geometry.h"

#include "widgets/png_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace vq {
namespace {

const PixelSurface& Frame() {
    static const PixelSurface frame = GenerateShadowFrame();
    return frame;
}

// The ramp steps a side uses, outermost first.
std::vector<int> RampSteps(int first, int last) {
    std::vector<int> steps;
    for (int i = first; i <= last; ++i) steps.push_back(kShadowRamp[i]);
    return steps;
}

TEST(ShadowGeometry, ShadowRectangleGrowsThirtyAndDropsThree) {
    struct Case {
        const char* name;
        WindowRect owner;
        WindowRect shadow;
    };
    const std::vector<Case> cases = {
        {"monitor window at (500, 400)", {500, 400, 717, 502}, {470, 373, 747, 535}},
        {"parked off-screen", {-247, -132, -30, -30}, {-277, -159, 0, 3}},
        {"empty owner", {0, 0, 0, 0}, {-30, -27, 30, 33}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShadowRectFor(c.owner), c.shadow);
    }
    const WindowRect shadow = ShadowRectFor({500, 400, 717, 502});
    EXPECT_EQ(shadow.Width(), 277);
    EXPECT_EQ(shadow.Height(), 162);
}

TEST(ShadowGeometry, CellsFollowTheFrameTableInDrawingOrder) {
    // Destination and source (x, y, width, height) for L, T, R, B = 10, 20, 300, 200.
    auto r = [](int x, int y, int w, int h) { return WindowRect{x, y, x + w, y + h}; };
    const std::vector<ShadowFrameCell> expected = {
        {r(10, 20, 67, 66), r(0, 0, 67, 66)},      {r(233, 20, 67, 66), r(134, 0, 67, 66)},
        {r(10, 134, 67, 66), r(0, 132, 67, 66)},   {r(233, 134, 67, 66), r(134, 132, 67, 66)},
        {r(77, 134, 156, 66), r(67, 132, 66, 66)}, {r(77, 20, 156, 66), r(67, 0, 66, 66)},
        {r(10, 86, 67, 48), r(0, 66, 67, 66)},     {r(233, 86, 67, 48), r(134, 66, 67, 66)},
    };
    const auto cells = ShadowFrameCells({10, 20, 300, 200});
    for (std::size_t i = 0; i < cells.size(); ++i) {
        SCOPED_TRACE("cell " + std::to_string(i));
        EXPECT_EQ(cells[i].destination, expected[i].destination);
        EXPECT_EQ(cells[i].source, expected[i].source);
    }
}

TEST(ShadowFrame, PictureHasRampsRimAndTransparentCentre) {
    const PixelSurface& f = Frame();
    ASSERT_EQ(f.Width(), 201);
    ASSERT_EQ(f.Height(), 198);
    const Bgra clear{};
    auto alphaAt = [&](int x, int y) { return static_cast<int>(f.At(x, y).a); };

    struct Side {
        const char* name;
        int x, y, dx, dy;  // outermost ramp pixel and the step towards the inside
        int first, last;   // ramp steps used
    };
    const std::vector<Side> sides = {
        {"top", 100, 0, 0, 1, 0, 24},
        {"left", 0, 98, 1, 0, 0, 25},
        {"right", 199, 98, -1, 0, 2, 27},
        {"bottom", 100, 195, 0, -1, 0, 28},
    };
    for (const Side& s : sides) {
        SCOPED_TRACE(s.name);
        std::vector<int> seen;
        int x = s.x, y = s.y;
        for (int i = s.first; i <= s.last; ++i, x += s.dx, y += s.dy) {
            EXPECT_EQ(f.At(x, y).b + f.At(x, y).g + f.At(x, y).r, 0);
            seen.push_back(alphaAt(x, y));
        }
        EXPECT_EQ(seen, RampSteps(s.first, s.last));
        EXPECT_EQ(f.At(x, y), kShadowRimColour) << "rim right after the ramp";
    }
    for (int y = 0; y < f.Height(); ++y) EXPECT_EQ(f.At(200, y), clear) << "column 200, row " << y;
    for (int x = 0; x < f.Width(); ++x) {
        EXPECT_EQ(f.At(x, 196), clear) << "row 196, column " << x;
        EXPECT_EQ(f.At(x, 197), clear) << "row 197, column " << x;
    }

    // The rim is a ring around the centre; the centre is white with no opacity.
    const ShadowFrameLayout l = kShadowFrameLayout;
    for (int y = l.rimTop + 2; y <= l.rimBottom - 2; ++y) {
        for (int x = l.rimLeft + 2; x <= l.rimRight - 2; ++x) {
            const bool hole = x >= 66 && x <= 132 && y >= 64 && y <= 129;
            ASSERT_EQ(f.At(x, y), hole ? kShadowHoleColour : kShadowRimColour) << x << ", " << y;
        }
    }
    EXPECT_EQ(kShadowRimColour, (Bgra{250, 250, 250, 255}));
    EXPECT_EQ(kShadowHoleColour, (Bgra{255, 255, 255, 0}));
}

TEST(ShadowFrame, MiddleCellsRepeatOneProfile) {
    const PixelSurface& f = Frame();
    // Rows of the top and bottom strips (columns 67 ... 132) are constant across.
    for (int y : {0, 10, 24, 25, 63, 64, 65, 132, 150, 166, 167, 195, 197}) {
        for (int x = 68; x <= 132; ++x) ASSERT_EQ(f.At(x, y), f.At(67, y)) << x << ", " << y;
    }
    // Columns of the side cells (rows 66 ... 131) are constant down, except the two rim pixels at
    // the bottom of the left cell's innermost column.
    for (int x = 0; x < 201; ++x) {
        if (x > 66 && x < 134) continue;
        for (int y = 67; y <= 131; ++y) {
            if (x == 66 && y >= 130) {
                EXPECT_EQ(f.At(x, y), kShadowRimColour);
                continue;
            }
            ASSERT_EQ(f.At(x, y), f.At(x, 66)) << x << ", " << y;
        }
    }
}

// What a pixel of the face is, as seen on the screen around the owner.
char Kind(const Bgra& p) {
    if (p == kShadowRimColour) return 'R';
    if (p.a == 0) return '.';
    if (p.r == 0 && p.g == 0 && p.b == 0) return 's';
    return '?';
}

TEST(ShadowGeometry, FaceAroundTheMonitorWindowShowsRimAndRampWidths) {
    // The 217 x 102 owner covers face pixels x 30 ... 246, y 27 ... 128.
    const PixelSurface face = RenderShadowFace(Frame(), 277, 162);
    ASSERT_EQ(face.Width(), 277);
    ASSERT_EQ(face.Height(), 162);

    struct Side {
        const char* name;
        int x, y, dx, dy;  // outermost face pixel and the step towards the owner
        int steps;         // pixels up to the owner's edge
        std::string kinds;
        int first, last;  // ramp steps seen
    };
    const std::vector<Side> sides = {
        {"left", 0, 81, 1, 0, 30, std::string(26, 's') + "RRRR", 0, 25},
        {"top", 138, 0, 0, 1, 27, std::string(25, 's') + "RR", 0, 24},
        {"right", 276, 81, -1, 0, 30, "." + std::string(26, 's') + "RRR", 2, 27},
        {"bottom", 138, 161, 0, -1, 33, ".." + std::string(29, 's') + "RR", 0, 28},
    };
    for (const Side& s : sides) {
        SCOPED_TRACE(s.name);
        std::string kinds;
        std::vector<int> ramp;
        for (int i = 0, x = s.x, y = s.y; i < s.steps; ++i, x += s.dx, y += s.dy) {
            kinds += Kind(face.At(x, y));
            if (kinds.back() == 's') ramp.push_back(face.At(x, y).a);
        }
        EXPECT_EQ(kinds, s.kinds);
        EXPECT_EQ(ramp, RampSteps(s.first, s.last));
    }

    // The stretched edges keep one profile along their length, and the centre stays clear.
    for (int y = 0; y < 66; ++y)
        for (int x = 67; x < 210; ++x) ASSERT_EQ(face.At(x, y), face.At(67, y)) << x << ", " << y;
    for (int x = 0; x < 30; ++x)
        for (int y = 66; y < 96; ++y) ASSERT_EQ(face.At(x, y), face.At(x, 66)) << x << ", " << y;
    for (int y = 66; y < 96; ++y)
        for (int x = 67; x < 210; ++x) ASSERT_EQ(face.At(x, y), Bgra{}) << x << ", " << y;
}

TEST(ShadowGeometry, FacesBelowSixtyEightBySixtySevenStayTransparent) {
    struct Case {
        int width, height;
        bool drawn;
    };
    const std::vector<Case> cases = {
        {67, 67, false}, {68, 66, false},  {67, 200, false}, {300, 66, false},
        {68, 67, true},  {134, 132, true}, {277, 162, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(ShadowFrameFits(c.width, c.height), c.drawn);
        const PixelSurface face = RenderShadowFace(Frame(), c.width, c.height);
        EXPECT_EQ(face == PixelSurface(c.width, c.height), !c.drawn);
        if (c.drawn) {
            EXPECT_EQ(face.At(0, 0), Frame().At(0, 0));
        }
    }
}

TEST(ShadowFigure, FaceAroundTheMonitorWindowAndTheFramePicture) {
    // VQ_WRITE_FIGURES=1 writes the figure and the program's frame resource into the source tree.
    if (std::getenv("VQ_WRITE_FIGURES") == nullptr)
        GTEST_SKIP() << "set VQ_WRITE_FIGURES to write the figures";
    const std::filesystem::path root(VQ_SOURCE_DIR);
    std::filesystem::create_directories(root / "docs/images");
    std::filesystem::create_directories(root / "resources");
    WritePng(Frame(), root / "resources/shadowframe.png");

    // The face as the screen shows it: over a desktop colour, with a white owner on top.
    const PixelSurface face = RenderShadowFace(Frame(), 277, 162);
    const Bgra desktop = BgraFromColorRef(0x00A08060);
    PixelSurface screen(face.Width(), face.Height(), desktop);
    for (int y = 0; y < face.Height(); ++y) {
        for (int x = 0; x < face.Width(); ++x) {
            const Bgra f = face.At(x, y);
            auto mix = [&](int s, int d) {
                return static_cast<std::uint8_t>((s * f.a + d * (255 - f.a) + 127) / 255);
            };
            screen.At(x, y) = {mix(f.b, desktop.b), mix(f.g, desktop.g), mix(f.r, desktop.r), 255};
        }
    }
    screen.FillRect(30, 27, 247, 129, BgraFromColorRef(0x00FFFFFF));
    const std::filesystem::path file = root / "docs/images/shadow-217x102.png";
    WritePng(Scaled(screen, 2), file);
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    EXPECT_EQ(std::filesystem::file_size(root / "resources/shadowframe.png") > 0, true);
}

}  // namespace
}  // namespace vq
