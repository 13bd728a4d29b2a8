#pragma once
// The monitor window's drop shadow on Qt: a click-through, partly transparent window just below
// the owner, given its face by the portable shadow rules. It shows only where the desktop
// composes; elsewhere a transparent window would paint black.

#include <QImage>
#include <QWidget>

#include "widgets/drop_shadow.h"

namespace vq {

class DropShadowQt final : public QWidget, private DropShadowPlatform {
public:
    // The frame picture must outlive the shadow.
    DropShadowQt(QWidget& owner, const PixelSurface& frame);

    // Places and shows the shadow for the owner's place, or hides it when the owner is hidden
    // or the desktop does not compose.
    void ForceUpdatePosition();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<WindowRect> OwnerRect() override;
    bool OwnerVisible() override;
    void PlaceShadow(const WindowRect& rect) override;
    void SetShadowFace(PixelSurface face) override;
    void ShowShadow(bool visible) override;

    QWidget& owner_;
    QImage face_;
    bool composites_ = false;  // asked afresh at every update: a compositor may come and go
    DropShadow shadow_;
};

}  // namespace vq
