#include "ui/monitor_pictures.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

const Bgra kWhite{255, 255, 255, 255};

// Opaque pictures of one colour each, larger than every control (48 x 48 against the status
// pictures' 39 x 40 and the pie chart's 32 x 28), so any pixel drawn outside a control shows.
PixelSurface Solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return PixelSurface(48, 48, Bgra{b, g, r, 255});
}

const PixelSurface kConecting = Solid(0, 200, 0);
const PixelSurface kPause = Solid(0, 0, 200);
const PixelSurface kConected = Solid(200, 200, 0);
const PixelSurface kStop = Solid(200, 0, 0);
const PixelSurface kPie = Solid(0, 200, 200);
const MonitorPictures kPictures{&kConecting, &kPause, &kConected, &kStop, &kPie};

TEST(MonitorPictures, EachPictureStaysInsideItsControl) {
    struct Case {
        const char* name;
        StatusPicture front;
        bool image1Visible;
        const PixelSurface* expectedFront;
    };
    const Case cases[] = {
        {"connecting", StatusPicture::PicConecting, false, &kConecting},
        {"pause", StatusPicture::PicPause, true, &kPause},
        {"connected", StatusPicture::PicConected, true, &kConected},
        {"stop, rows hidden", StatusPicture::PicStop, false, &kStop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorView view;
        view.frontPicture = c.front;
        view.Image1Visible = c.image1Visible;
        PixelSurface canvas(kMonitorClientWidth, kMonitorClientHeight, kWhite);
        PaintMonitorPictures(canvas, view, kPictures);

        // The status picture covers x 0 ... 37 (its control starts one column left of the
        // window) and y 0 ... 39; the pie chart x 3 ... 34, y 67 ... 94; nothing else changes.
        PixelSurface expected(kMonitorClientWidth, kMonitorClientHeight, kWhite);
        expected.FillRect(0, 0, 38, 40, c.expectedFront->At(0, 0));
        if (c.image1Visible) expected.FillRect(3, 67, 35, 95, kPie.At(0, 0));
        EXPECT_EQ(canvas, expected);
    }
}

TEST(MonitorPictures, BlendsOverWhatIsBelowAndSkipsMissingPictures) {
    PixelSurface canvas(kMonitorClientWidth, kMonitorClientHeight, kWhite);
    const PixelSurface halfBlack(40, 40, Bgra{0, 0, 0, 128});
    DrawPictureInControl(canvas, halfBlack, monitor_layout::kStatusPicture);
    EXPECT_EQ(canvas.At(0, 0), (Bgra{127, 127, 127, 255}));  // (255 x 127 + 127) / 255
    EXPECT_EQ(canvas.At(38, 0), kWhite);

    PixelSurface untouched(kMonitorClientWidth, kMonitorClientHeight, kWhite);
    PaintMonitorPictures(untouched, MonitorView{}, MonitorPictures{});
    EXPECT_EQ(untouched, PixelSurface(kMonitorClientWidth, kMonitorClientHeight, kWhite));
}

}  // namespace
}  // namespace vq
