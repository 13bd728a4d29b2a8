#pragma once
// The program's pictures, drawn from code so that anyone can redraw them.

#include "widgets/pixel_surface.h"

namespace vq::art {

PixelSurface SpinnerStrip();     // 192 x 16: twelve frames of the busy spinner
PixelSurface NormalIconStrip();  // 112 x 16: the seven icons of the tray and the menu

enum class StatusPicture { Connecting, Pause, Connected, Stop };
PixelSurface DrawStatusPicture(StatusPicture which);  // 40 x 40

PixelSurface PieChart();  // 30 x 24
PixelSurface Globe();     // 74 x 75: a grey globe with a computer mouse
PixelSurface Logo();      // 55 x 32: the maker's mark

}  // namespace vq::art
