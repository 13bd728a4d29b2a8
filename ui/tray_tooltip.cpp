#include "ui/tray_tooltip.h"

namespace vq {

std::u16string TrayToolTip(const MonitorView& view) {
    std::u16string tip = view.Label1.text;
    if (view.StaticText3.visible && view.Ostatok.visible)
        tip += u"\n" + view.StaticText3.text + u": " + view.Ostatok.text;
    return tip;
}

}  // namespace vq
