// What the monitor window's pictures cost: one paint of its traffic bar and one drop shadow face.

#include <benchmark/benchmark.h>

#include "ui/traffic_bar_settings.h"
#include "widgets/pixel_surface.h"
#include "widgets/q_progress_bar.h"
#include "widgets/shadow_frame.h"
#include "widgets/shadow_geometry.h"

namespace vq {
namespace {

// The traffic bar of the monitor window (215 x 10), set up as the window sets it up.
void SetUpTrafficBar(TQProgressBar& bar) {
    ApplyTrafficBarSettings(bar);
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
