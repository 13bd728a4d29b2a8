#pragma once
// The pictures the monitor window paints on its own surface, over its labels: the pie chart
// beside the balance rows while they are shown, then the status picture in front (the four
// share one place, and only the one in front can be seen). Each picture is blended with its
// top-left corner at its control's origin and cut at the control's rectangle, so a picture larger
// than its control never reaches a neighbour.

#include "ui/monitor_layout.h"
#include "ui/monitor_view.h"
#include "widgets/pixel_surface.h"

namespace vq {

// Blends a straight-alpha picture over `canvas` at the control's origin, clipped to the control
// and to the canvas.
void DrawPictureInControl(PixelSurface& canvas, const PixelSurface& picture,
                          const ControlRect& control);

// The window's pictures; a missing one (null) is not drawn.
struct MonitorPictures {
    const PixelSurface* PicConecting = nullptr;
    const PixelSurface* PicPause = nullptr;
    const PixelSurface* PicConected = nullptr;
    const PixelSurface* PicStop = nullptr;
    const PixelSurface* Image1 = nullptr;  // the pie chart

    // The status picture of that name.
    const PixelSurface* Of(StatusPicture which) const;
};

// Paints the pie chart (when the view shows it) and the status picture in front onto the
// window's client-area canvas, in that order.
void PaintMonitorPictures(PixelSurface& canvas, const MonitorView& view,
                          const MonitorPictures& pictures);

}  // namespace vq
