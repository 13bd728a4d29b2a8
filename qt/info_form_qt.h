#pragma once
// TInfoForm on Qt: the about window, laid out, measured and clicked by the same portable rules as
// on Windows (ui/about_window.h). Closing hides it; the rows are read afresh at every showing.

#include <QFont>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "ui/about_window.h"
#include "widgets/pixel_surface.h"

namespace vq {

class DropShadowQt;

class TInfoForm final : public QWidget {
public:
    explicit TInfoForm(std::function<AboutRows()> readRows);
    ~TInfoForm() override;

    // Shows the window with its rows read afresh, centred at the first showing; an open window
    // is only brought forward.
    void Show();
    const AboutRows& Rows() const { return rows_; }
    QImage Render();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QString Caption(AboutPart part) const;
    const QFont& FontOf(AboutPart part) const;
    void MeasureControls();
    void PaintTo(QPainter& painter);
    void SetHovered(std::optional<AboutPart> part);

    std::function<AboutRows()> readRows_;
    AboutRows rows_;
    AboutLayout layout_;
    std::array<QFont, 4> fonts_;  // by AboutFont
    QFont linkUnderlined_;
    QImage globe_, logo_;  // Image1 and Image2
    PixelSurface shadowFrame_;
    std::unique_ptr<DropShadowQt> shadow_;
    std::optional<AboutPart> hovered_;
    bool shownBefore_ = false;
};

}  // namespace vq
