#include "qt/drop_shadow_qt.h"

#include <QPainter>

#include "qt/desktop_compositing_x11.h"
#include "qt/pixel_image_qt.h"

namespace vq {

DropShadowQt::DropShadowQt(QWidget& owner, const PixelSurface& frame)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus),
      owner_(owner),
      shadow_(*this, frame) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void DropShadowQt::ForceUpdatePosition() {
    composites_ = owner_.isVisible() && DesktopComposites();
    shadow_.ForceUpdatePosition();
}

std::optional<WindowRect> DropShadowQt::OwnerRect() {
    const QRect r = owner_.frameGeometry();
    return WindowRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool DropShadowQt::OwnerVisible() { return composites_ && owner_.isVisible(); }

void DropShadowQt::PlaceShadow(const WindowRect& rect) {
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

void DropShadowQt::SetShadowFace(PixelSurface face) {
    face_ = ToQImage(face);
    update();
}

void DropShadowQt::ShowShadow(bool visible) {
    if (visible == isVisible()) return;
    setVisible(visible);
    // The owner stays above its shadow.
    if (visible) owner_.raise();
}

void DropShadowQt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, face_);
}

}  // namespace vq
