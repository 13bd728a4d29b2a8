#include "ui/traffic_bar_settings.h"

namespace vq {

void ApplyTrafficBarSettings(TQProgressBar& bar) {
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
    bar.SetFont(QFont{u"MS Sans Serif", 8, true, RgbColor(0, 0, 0)});
    bar.SetAutoCaption(false);
    bar.SetAutoHint(false);
    bar.SetShowPosAsPct(true);
}

}  // namespace vq
