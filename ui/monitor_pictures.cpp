#include "ui/monitor_pictures.h"

#include <algorithm>

namespace vq {

void DrawPictureInControl(PixelSurface& canvas, const PixelSurface& picture,
                          const ControlRect& control) {
    // The part of the control that lies on the canvas and is covered by the picture.
    const int left = std::max(control.left, 0);
    const int top = std::max(control.top, 0);
    const int right = std::min({control.Right(), control.left + picture.Width(), canvas.Width()});
    const int bottom =
        std::min({control.Bottom(), control.top + picture.Height(), canvas.Height()});
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const Bgra s = picture.At(x - control.left, y - control.top);
            Bgra& d = canvas.At(x, y);
            const int a = s.a;
            d.b = static_cast<std::uint8_t>((s.b * a + d.b * (255 - a) + 127) / 255);
            d.g = static_cast<std::uint8_t>((s.g * a + d.g * (255 - a) + 127) / 255);
            d.r = static_cast<std::uint8_t>((s.r * a + d.r * (255 - a) + 127) / 255);
        }
    }
}

const PixelSurface* MonitorPictures::Of(StatusPicture which) const {
    switch (which) {
    case StatusPicture::PicConecting: return PicConecting;
    case StatusPicture::PicPause: return PicPause;
    case StatusPicture::PicConected: return PicConected;
    case StatusPicture::PicStop: return PicStop;
    }
    return PicStop;
}

void PaintMonitorPictures(PixelSurface& canvas, const MonitorView& view,
                          const MonitorPictures& pictures) {
    if (view.Image1Visible && pictures.Image1)
        DrawPictureInControl(canvas, *pictures.Image1, monitor_layout::kImage1);
    if (const PixelSurface* front = pictures.Of(view.frontPicture))
        DrawPictureInControl(canvas, *front, monitor_layout::kStatusPicture);
}

}  // namespace vq
