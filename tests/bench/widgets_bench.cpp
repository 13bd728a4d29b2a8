// What the monitor window's pictures cost: one paint of its traffic bar and one drop shadow face.

#include <benchmark/benchmark.h>

#include "widgets/hls_color.h"
#include "widgets/pixel_surface.h"
#include "widgets/q_progress_bar.h"
#include "widgets/shadow_frame.h"
#include "widgets/shadow_geometry.h"

namespace vq {
namespace {

// The traffic bar of the monitor window (215 x 10), set up as the window sets it up.
void SetUpTrafficBar(TQProgressBar& bar) {
    bar.SetOrientation(boHorizontal);
    bar.SetBarKind(bkFlat);
    bar.SetBarLook(blGlass);
    bar.SetRoundCorner(false);
    bar.SetBackgroundColor(RgbColor(255, 255, 255));
    bar.SetBarColor(RgbColor(255, 128, 128));
    bar.SetStartColor(RgbColor(255, 128, 128));
    bar.SetFinalColor(RgbColor(0, 255, 0));
    bar.SetShowInactivePos(true);
    bar.SetInvertInactPos(true);
    bar.SetInactivePosColor(RgbColor(230, 230, 230));
    bar.SetShaped(false);
    bar.SetShapeColor(RgbColor(0, 128, 192));
    bar.SetBlockSize(4);
    bar.SetSpaceSize(1);
    bar.SetShowFullBlock(false);
    bar.SetMaximum(100);
    bar.SetCaptionAlign(taCenter);
    bar.SetAutoCaption(false);
    bar.SetAutoHint(false);
    bar.SetShowPosAsPct(true);
    bar.SetBounds(215, 10);
    bar.SetPosition(63);
}

void BM_PaintProgressBar(benchmark::State& state) {
    TQProgressBar bar;
    SetUpTrafficBar(bar);
    PixelSurface surface(bar.Width(), bar.Height());
    for (auto _ : state) {
        auto caption = bar.Paint(surface, RgbColor(255, 255, 255));
        benchmark::DoNotOptimize(caption);
        benchmark::DoNotOptimize(surface.Data());
    }
}
BENCHMARK(BM_PaintProgressBar);

// The shadow face of the 217 x 102 monitor window: the owner grown by the shadow's spread.
void BM_RenderShadowFace(benchmark::State& state) {
    const PixelSurface frame = GenerateShadowFrame();
    const WindowRect shadow = ShadowRectFor(WindowRect{0, 0, 217, 102});
    for (auto _ : state) {
        PixelSurface face = RenderShadowFace(frame, shadow.Width(), shadow.Height());
        benchmark::DoNotOptimize(face.Data());
    }
}
BENCHMARK(BM_RenderShadowFace);

}  // namespace
}  // namespace vq
