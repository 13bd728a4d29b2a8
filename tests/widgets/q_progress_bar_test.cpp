#include "widgets/q_progress_bar.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/traffic_bar_settings.h"
#include "widgets/png_writer.h"
#include "widgets/hls_color.h"

namespace vq {
namespace {

constexpr QColor kWhite = RgbColor(255, 255, 255);
constexpr QColor kStart = RgbColor(255, 128, 128);
constexpr QColor kLime = RgbColor(0, 255, 0);
constexpr QColor kInactive = RgbColor(230, 230, 230);

// Records what the bar asks of its window; text is 6 pixels a character and 13 high.
class FakeHost : public QProgressBarHost {
public:
    void Redraw() override { ++redraws; }
    void SizeChanged(int width, int height) override { sizes.push_back({width, height}); }
    void VisibleChanged(bool visible) override { events.push_back(visible ? "show" : "hide"); }
    void HintChanged(const std::u16string& hint) override { hints.push_back(hint); }
    void Pause(int milliseconds) override {
        events.push_back("pause " + std::to_string(milliseconds));
    }
    QTextSize MeasureText(std::u16string_view text, const QFont&) override {
        return {static_cast<int>(text.size()) * 6, 13};
    }

    int redraws = 0;
    std::vector<QPoint> sizes;
    std::vector<std::string> events;
    std::vector<std::u16string> hints;
};

// The monitor window's usage bar as the program sets it up: its size, its settings, then a
// position of 68.
void ApplyProgramSettings(TQProgressBar& bar) {
    bar.SetBounds(215, 10);
    ApplyTrafficBarSettings(bar);
    bar.SetPosition(68);
}

class ProgramBar : public ::testing::Test {
protected:
    ProgramBar() { ApplyProgramSettings(bar); }

    FakeHost host;
    TQProgressBar bar{&host};
};

Bgra Pixel(QColor c) { return BgraFromColorRef(c); }

std::string Describe(const PixelSurface& surface, int x, int y) {
    const Bgra p = surface.At(x, y);
    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") = RGB(" +
           std::to_string(p.r) + ", " + std::to_string(p.g) + ", " + std::to_string(p.b) + ")";
}

TEST_F(ProgramBar, GeometryAndBlocks) {
    EXPECT_EQ(bar.BorderSize(), 4);
    EXPECT_EQ(bar.UsefullDrawSpace(), 211);
    EXPECT_EQ(bar.MinVisPos(), 5);
    EXPECT_EQ(bar.TableDepth(), 7);
    ASSERT_TRUE(bar.ByBlock());
    ASSERT_EQ(bar.PosDescr().size(), 212u);

    std::vector<int> block_starts;
    for (int i = 1; i <= 211; ++i) {
        const TPosDescr& d = bar.PosDescr()[static_cast<std::size_t>(i)];
        if (d.isInBlock && !bar.PosDescr()[static_cast<std::size_t>(i - 1)].isInBlock)
            block_starts.push_back(i);
    }
    ASSERT_EQ(block_starts.size(), 42u);
    EXPECT_EQ(block_starts.front(), 3);
    EXPECT_EQ(block_starts[1], 8);
    EXPECT_EQ(block_starts.back(), 208);
    for (int gap : {1, 2, 7, 12, 142, 207}) {
        SCOPED_TRACE(gap);
        EXPECT_FALSE(bar.PosDescr()[static_cast<std::size_t>(gap)].isInBlock);
    }
    EXPECT_EQ(bar.PosDescr()[143].blkLimit, 146);
    EXPECT_EQ(bar.PosDescr()[142].blkLimit, 146);  // a gap points at the next block
    EXPECT_EQ(bar.PosDescr()[211].blkLimit, 211);
}

TEST_F(ProgramBar, GradientColumns) {
    struct Row {
        int column;
        QColor colour;
    };
    const std::vector<Row> rows = {
        {3, RgbColor(252, 129, 127)},
        {100, RgbColor(135, 188, 68)},
        {143, RgbColor(83, 214, 42)},
        {210, RgbColor(2, 254, 1)},
        {211, kLime},
        {0, kStart},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("column " + std::to_string(row.column));
        EXPECT_EQ(bar.GradientColor(row.column), row.colour);
        const TCLRArray& table = bar.PixDescr()[static_cast<std::size_t>(row.column)];
        EXPECT_EQ(table, TCLRArray(7, row.colour));  // flat: the same colour at every depth
    }
    EXPECT_EQ(bar.InactDescr(), TCLRArray(7, kInactive));  // flat ignores invertInactPos
}

TEST_F(ProgramBar, PositionsRoundHalfToEven) {
    struct Row {
        int position;
        int drawn;
    };
    const std::vector<Row> rows = {{0, 0},    {1, 5},     {3, 6},     {50, 106}, {68, 143},
                                   {99, 209}, {100, 211}, {150, 211}, {-5, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE("position " + std::to_string(row.position));
        const int redraws = host.redraws;
        bar.SetPosition(row.position);
        EXPECT_EQ(bar.DrawnPosition(), row.drawn);
        EXPECT_EQ(bar.position(), row.position);
        EXPECT_EQ(host.redraws, redraws + 1);
    }
    EXPECT_EQ(RoundHalfEven(105.5L), 106);
    EXPECT_EQ(RoundHalfEven(106.5L), 106);
    EXPECT_EQ(RoundHalfEven(2.5000001L), 3);
    EXPECT_EQ(RoundHalfEven(-0.5L), 0);
}

// Every pixel of the bar at 68: active block columns 3 ... 143 in the gradient, inactive block
// columns 144 ... 211 light grey, gaps and margins white.
void ExpectProgramBarAt68(const PixelSurface& surface, const TQProgressBar& bar, bool full_block) {
    ASSERT_EQ(surface.Width(), 215);
    ASSERT_EQ(surface.Height(), 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 215; ++x) {
            const bool in_bar = y >= 3 && y <= 6 && x >= 3 && x <= 211;
            const bool in_block = in_bar && (x - 3) % 5 != 4;
            const int last_active = full_block ? 141 : 143;
            QColor expected = kWhite;
            if (in_block) expected = x <= last_active ? bar.GradientColor(x) : kInactive;
            if (surface.At(x, y) != Pixel(expected)) {
                ADD_FAILURE() << Describe(surface, x, y);
                return;
            }
        }
    }
}

TEST_F(ProgramBar, PaintsEveryPixelAt68) {
    PixelSurface surface;
    const auto caption = bar.Paint(surface, kWhite);
    EXPECT_FALSE(caption.has_value());
    ExpectProgramBarAt68(surface, bar, false);
    EXPECT_EQ(surface.At(143, 3), Pixel(RgbColor(83, 214, 42)));
    EXPECT_EQ(surface.At(144, 6), Pixel(kInactive));
    EXPECT_EQ(surface.At(142, 4), Pixel(kWhite));

    bar.SetShowFullBlock(true);
    bar.Paint(surface, kWhite);
    ExpectProgramBarAt68(surface, bar, true);
    EXPECT_EQ(surface.At(143, 3), Pixel(kInactive));
    EXPECT_EQ(surface.At(141, 3), Pixel(bar.GradientColor(141)));
}

TEST(QProgressBarFigure, ProgramBarAt68) {
    // VQ_WRITE_FIGURES=1 writes the figure into the source tree; otherwise nothing is written.
    if (std::getenv("VQ_WRITE_FIGURES") == nullptr)
        GTEST_SKIP() << "set VQ_WRITE_FIGURES to write the figure";
    TQProgressBar bar;
    ApplyProgramSettings(bar);
    PixelSurface surface;
    bar.Paint(surface, kWhite);
    const std::filesystem::path file =
        std::filesystem::path(VQ_SOURCE_DIR) / "docs/images/progress-bar-68.png";
    std::filesystem::create_directories(file.parent_path());
    WritePng(Scaled(surface, 4), file);
    EXPECT_GT(std::filesystem::file_size(file), 0u);
}

TEST(HlsColor, ColorToHLSAndBack) {
    struct Row {
        QColor colour;
        HlsColor hls;
        QColor back;  // HLSToColor of hls: greys lose a little, as the scale is 240
    };
    const std::vector<Row> rows = {
        {RgbColor(255, 128, 128), {0, 180, 240}, RgbColor(255, 128, 128)},
        {RgbColor(0, 255, 0), {80, 120, 240}, RgbColor(0, 255, 0)},
        {RgbColor(230, 230, 230), {160, 216, 0}, RgbColor(229, 229, 229)},
        {RgbColor(0, 0, 255), {160, 120, 240}, RgbColor(0, 0, 255)},
        {RgbColor(0, 0, 0), {160, 0, 0}, RgbColor(0, 0, 0)},
        {RgbColor(40, 200, 100), {95, 113, 160}, RgbColor(40, 200, 100)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.colour));
        EXPECT_EQ(ColorToHLS(row.colour), row.hls);
        EXPECT_EQ(HLSToColor(row.hls), row.back);
    }
    EXPECT_EQ(HLSToColor(160, 165, 0), RgbColor(175, 175, 175));
    EXPECT_EQ(HueValue(0, 240, -40), 0);    // -40 is 200: past the ramp down
    EXPECT_EQ(HueValue(0, 240, 260), 120);  // 260 is 20: half way up
    EXPECT_EQ(HueValue(0, 240, 150), 60);   // a quarter of the way down from 120
}

TEST(QProgressBarShading, ShadeProfileGlassAndMetal) {
    const std::vector<int> glass = {165, 188, 203, 186, 156, 145, 164};
    const std::vector<int> metal = {132, 155, 170, 154, 124, 112, 132};
    const TCLRArray glass_colours = {RgbColor(255, 96, 96),   RgbColor(255, 145, 145),
                                     RgbColor(255, 176, 176), RgbColor(255, 140, 140),
                                     RgbColor(255, 77, 77),   RgbColor(255, 53, 53),
                                     RgbColor(255, 94, 94)};
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE("depth " + std::to_string(k));
        const long double curve = GlassLuminance(static_cast<long double>(k) / 7);
        EXPECT_EQ(RoundHalfEven(curve), glass[static_cast<std::size_t>(k)]);
        EXPECT_EQ(180 - 212 + static_cast<int>(std::trunc(curve)),
                  metal[static_cast<std::size_t>(k)]);
    }

    TQProgressBar bar;
    bar.SetBarLook(blGlass);
    EXPECT_EQ(bar.ShadeProfile(kStart, 7), glass_colours);
    const TCLRArray greys = bar.ShadeProfile(kInactive, 7);
    const std::vector<int> grey_levels = {175, 199, 215, 197, 165, 154, 174};
    ASSERT_EQ(greys.size(), 7u);
    for (std::size_t k = 0; k < 7; ++k)
        EXPECT_EQ(greys[k], RgbColor(grey_levels[k], grey_levels[k], grey_levels[k])) << k;

    bar.SetBarLook(blMetal);
    const TCLRArray metal_colours = bar.ShadeProfile(kStart, 7);
    ASSERT_EQ(metal_colours.size(), 7u);
    for (std::size_t k = 0; k < 7; ++k)
        EXPECT_EQ(metal_colours[k], HLSToColor(0, metal[k], 240)) << k;
    EXPECT_TRUE(bar.ShadeProfile(kStart, 0).empty());
}

TEST(QProgressBarShading, CylinderTablesAndInvertedInactive) {
    TQProgressBar bar;
    bar.SetBounds(100, 11);  // horizontal, border 4 from creation: depth 8
    bar.SetBarLook(blGlass);
    bar.SetBarColor(kStart);
    bar.SetInactivePosColor(kInactive);
    bar.SetBarKind(bkCylinder);
    ASSERT_EQ(bar.TableDepth(), 8);
    EXPECT_EQ(bar.PixDescr()[10], bar.ShadeProfile(kStart, 8));
    EXPECT_EQ(bar.InactDescr(), bar.ShadeProfile(kInactive, 8));

    bar.SetInvertInactPos(true);
    const TCLRArray plain = bar.ShadeProfile(kInactive, 8);
    ASSERT_EQ(bar.InactDescr().size(), 8u);
    for (std::size_t k = 0; k < 8; ++k) {
        HlsColor hls = ColorToHLS(plain[k]);
        hls.l = 240 - hls.l;
        EXPECT_EQ(bar.InactDescr()[k], HLSToColor(hls)) << k;
    }
}

TEST_F(ProgramBar, SegmentSizesMaximumAndColours) {
    bar.SetBlockSize(300);  // longer than the bar: ignored
    EXPECT_EQ(bar.blockSize(), 4);
    bar.SetBlockSize(-4);
    EXPECT_EQ(bar.blockSize(), 4);
    bar.SetSpaceSize(-2);
    EXPECT_EQ(bar.spaceSize(), 2);
    EXPECT_EQ(bar.PosDescr()[8].isInBlock, false);  // blocks now at 3..6, 9..12
    EXPECT_EQ(bar.PosDescr()[9].isInBlock, true);
    bar.SetSpaceSize(0);
    EXPECT_FALSE(bar.ByBlock());

    bar.SetMaximum(0);
    const int redraws = host.redraws;
    bar.SetPosition(20);
    EXPECT_EQ(bar.position(), 20);
    EXPECT_EQ(bar.DrawnPosition(), 143);  // frozen
    EXPECT_EQ(host.redraws, redraws);
    bar.SetMaximum(-1);
    EXPECT_EQ(bar.maximum(), 0);

    bar.SetStartColor(kLime);  // equal to the final colour: one colour
    EXPECT_EQ(bar.GradientColor(100), kLime);
    bar.SetStartColor(kStart);
    EXPECT_EQ(bar.GradientColor(100), RgbColor(135, 188, 68));
    bar.SetBarColor(RgbColor(1, 2, 3));
    EXPECT_EQ(bar.GradientColor(100), RgbColor(1, 2, 3));
    EXPECT_EQ(bar.finalColor(), RgbColor(1, 2, 3));
}

TEST(QProgressBarOrientation, BorderFromThicknessAndSizeExchange) {
    FakeHost host;
    TQProgressBar bar(&host);
    bar.SetBounds(215, 9);
    bar.SetOrientation(boHorizontal);
    EXPECT_EQ(bar.InternalBorder(), 1);
    EXPECT_EQ(bar.BorderSize(), 2);
    EXPECT_EQ(bar.UsefullDrawSpace(), 213);

    bar.SetOrientation(boVertical);  // height < width: exchanged
    EXPECT_EQ(bar.Width(), 9);
    EXPECT_EQ(bar.Height(), 215);
    ASSERT_FALSE(host.sizes.empty());
    EXPECT_EQ(host.sizes.back(), (QPoint{9, 215}));
    EXPECT_EQ(bar.InternalBorder(), 1);
    EXPECT_EQ(bar.UsefullDrawSpace(), 213);
    EXPECT_EQ(bar.TableDepth(), 8);
}

TEST(QProgressBarOrientation, VerticalGrowsFromTheBottom) {
    TQProgressBar bar;
    bar.SetBounds(10, 30);
    bar.SetOrientation(boVertical);  // b = 4, N = 26
    bar.SetShaped(false);
    bar.SetStartColor(kStart);
    bar.SetFinalColor(kLime);
    bar.SetInactivePosColor(kInactive);
    bar.SetShowInactivePos(true);
    bar.SetBlockSize(4);
    bar.SetSpaceSize(1);
    // Blocks from the bottom: 20 ... 23, 15 ... 18, 10 ... 13, 5 ... 8; the next one would start
    // at 3, below b, so row 4 stays empty.
    EXPECT_TRUE(bar.PosDescr()[23].isInBlock);
    EXPECT_FALSE(bar.PosDescr()[24].isInBlock);
    EXPECT_FALSE(bar.PosDescr()[19].isInBlock);
    EXPECT_EQ(bar.PosDescr()[21].blkLimit, 20);
    bar.SetPosition(50);  // d = 13: rows 25 down to 17 active
    ASSERT_EQ(bar.DrawnPosition(), 13);

    PixelSurface surface;
    bar.Paint(surface, kWhite);
    struct Row {
        int row;
        QColor colour;
    };
    const std::vector<Row> rows = {
        {25, kWhite},
        {23, bar.GradientColor(23)},
        {19, kWhite},
        {18, bar.GradientColor(18)},
        {17, bar.GradientColor(17)},
        {16, kInactive},
        {15, kInactive},
        {8, kInactive},
        {5, kInactive},
        {4, kWhite},
        {3, kWhite},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.row));
        EXPECT_EQ(surface.At(3, row.row), Pixel(row.colour));
        EXPECT_EQ(surface.At(6, row.row), Pixel(row.colour));
        EXPECT_EQ(surface.At(2, row.row), Pixel(kWhite));
        EXPECT_EQ(surface.At(7, row.row), Pixel(kWhite));
    }

    bar.SetShowFullBlock(true);  // the block 15 ... 18 is incomplete
    bar.Paint(surface, kWhite);
    EXPECT_EQ(surface.At(3, 17), Pixel(kInactive));
    EXPECT_EQ(surface.At(3, 20), Pixel(bar.GradientColor(20)));
}

TEST_F(ProgramBar, CaptionPlacementHintAndAutoCaption) {
    const int redraws = host.redraws;
    bar.SetCaption(u"68%");  // 18 x 13 with the fake font
    EXPECT_EQ(host.redraws, redraws);
    EXPECT_EQ(bar.CaptionPos(), (QPoint{(215 - 18) / 2, (10 - 13) / 2}));
    bar.SetCaptionAlign(taRightJustify);
    EXPECT_EQ(bar.CaptionPos().x, 215 - 18 - 1);
    bar.SetCaptionAlign(taLeftJustify);
    EXPECT_EQ(bar.CaptionPos().x, 0);

    bar.SetAutoCaption(true);
    bar.SetCaptionAlign(taCenter);
    bar.SetPosition(50);
    PixelSurface surface;
    auto caption = bar.Paint(surface, kWhite);
    ASSERT_TRUE(caption.has_value());
    EXPECT_EQ(caption->text, u"50%");
    EXPECT_EQ(caption->font, (QFont{u"MS Sans Serif", 8, true, RgbColor(0, 0, 0)}));
    EXPECT_EQ(bar.font(), QFont{});  // reading gives the control's own, untouched font
    bar.SetShowPosAsPct(false);
    caption = bar.Paint(surface, kWhite);
    ASSERT_TRUE(caption.has_value());
    EXPECT_EQ(caption->text, u"50");

    bar.SetAutoHint(true);
    bar.SetShowPosAsPct(true);
    bar.SetMaximum(3);
    bar.SetPosition(2);
    EXPECT_EQ(bar.Hint(), u"66.6666666666667 %");
    bar.SetDecimalSeparator(u',');
    bar.SetPosition(2);
    EXPECT_EQ(bar.Hint(), u"66,6666666666667 %");
    bar.SetShowPosAsPct(false);
    bar.SetPosition(7);
    EXPECT_EQ(host.hints.back(), u"7");
    EXPECT_EQ(FormatPercent(68, u'.'), u"68");
    EXPECT_EQ(FormatPercent(100.0 / 2147483647, u'.'), u"4.6566128752458E-8");
}

TEST_F(ProgramBar, HideOnTerminatePausesThenHides) {
    bar.SetHideOnTerminate(true);
    bar.SetPosition(99);
    EXPECT_TRUE(host.events.empty());
    bar.SetPosition(150);  // limited to the maximum
    EXPECT_EQ(host.events, (std::vector<std::string>{"pause 100", "hide"}));
    EXPECT_FALSE(bar.Visible());
}

TEST_F(ProgramBar, LockedResizeKeepsTablesAndPaintStaysInside) {
    bar.LockInits();
    bar.SetBounds(400, 30);
    EXPECT_EQ(bar.UsefullDrawSpace(), 396);
    EXPECT_EQ(bar.PixDescr().size(), 212u);  // not rebuilt
    bar.SetPosition(100);
    PixelSurface surface;
    bar.Paint(surface, kWhite);  // tables shorter than the bar: the rest is not drawn
    EXPECT_EQ(surface.At(300, 5), Pixel(kWhite));

    bar.UnlockInits();
    EXPECT_EQ(bar.PixDescr().size(), 397u);
    EXPECT_EQ(bar.PixDescr()[0].size(), 27u);

    // A bar shorter than its smallest visible position.
    TQProgressBar tiny;
    tiny.SetBounds(7, 16);
    tiny.SetPosition(1);
    EXPECT_EQ(tiny.DrawnPosition(), 5);
    tiny.Paint(surface, kWhite);
    EXPECT_EQ(surface.Width(), 7);
}

TEST(QProgressBarShape, RoundedOutline) {
    TQProgressBar bar;  // shaped, round corners, defaults otherwise, position 0
    const QColor clear = RgbColor(1, 2, 3);
    PixelSurface surface;
    bar.Paint(surface, clear);
    const Bgra outline = Pixel(RgbColor(0, 60, 116));
    const Bgra inside = Pixel(kWhite);
    struct Row {
        int x, y;
        Bgra expected;
    };
    const std::vector<Row> rows = {
        {0, 0, Pixel(clear)}, {1, 0, Pixel(clear)},   {2, 0, outline},   {1, 1, outline},
        {0, 2, outline},      {63, 15, Pixel(clear)}, {61, 15, outline}, {20, 0, outline},
        {20, 15, outline},    {63, 8, outline},       {2, 2, inside},    {30, 8, inside},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Describe(surface, row.x, row.y));
        EXPECT_EQ(surface.At(row.x, row.y), row.expected);
    }
    bar.SetRoundCorner(false);
    bar.Paint(surface, clear);
    EXPECT_EQ(surface.At(0, 0), outline);
    EXPECT_EQ(surface.At(63, 15), outline);
}

}  // namespace
}  // namespace vq
