#include "qt/traffic_bar_qt.h"

#include <QFontMetrics>
#include <QThread>

#include "qt/pixel_image_qt.h"
#include "ui/traffic_bar_settings.h"
#include "widgets/q_progress_bar.h"

// The bar's own types are named as the component documents them (vq::QFont, vq::QColor), so the
// Qt types are spelt with their global qualifier here.

namespace vq {
namespace {

::QFont ToQtFont(const QFont& font) {
    ::QFont qt(QString::fromStdU16String(font.name));
    qt.setPointSize(font.size);
    qt.setBold(font.bold);
    return qt;
}

// What the bar asks of its window. The window repaints as a whole after every change it makes,
// and the bar's size is fixed, so only text measuring and the pause do anything here.
class BarHost final : public QProgressBarHost {
public:
    void Redraw() override {}
    void SizeChanged(int, int) override {}
    void VisibleChanged(bool) override {}
    void HintChanged(const std::u16string&) override {}
    void Pause(int milliseconds) override { QThread::msleep(static_cast<unsigned>(milliseconds)); }
    QTextSize MeasureText(std::u16string_view text, const QFont& font) override {
        const QFontMetrics metrics(ToQtFont(font));
        const QString qtText = QString::fromUtf16(text.data(), static_cast<int>(text.size()));
        return {metrics.horizontalAdvance(qtText), metrics.height()};
    }
};

}  // namespace

struct TrafficBarQt::Parts {
    BarHost host;
    TQProgressBar bar{&host};
    PixelSurface surface;
};

TrafficBarQt::TrafficBarQt(int width, int height, char16_t decimalSeparator)
    : parts_(std::make_unique<Parts>()) {
    TQProgressBar& bar = parts_->bar;
    bar.SetDecimalSeparator(decimalSeparator);
    bar.SetBounds(width, height);
    ApplyTrafficBarSettings(bar);
}

TrafficBarQt::~TrafficBarQt() = default;

bool TrafficBarQt::Visible() const { return parts_->bar.Visible(); }
void TrafficBarQt::SetVisible(bool visible) { parts_->bar.SetVisible(visible); }
int TrafficBarQt::Position() const { return parts_->bar.position(); }
void TrafficBarQt::SetPosition(int position) { parts_->bar.SetPosition(position); }

void TrafficBarQt::Paint(QPainter& painter, int left, int top) {
    if (!parts_->bar.Visible()) return;
    // Cleared to the window's white, as the bar's parent is.
    const auto caption = parts_->bar.Paint(parts_->surface, RgbColor(255, 255, 255));
    if (parts_->surface.Empty()) return;
    painter.drawImage(left, top, ToOpaqueQImage(parts_->surface));
    if (caption) {
        painter.save();
        painter.setFont(ToQtFont(caption->font));
        painter.setPen(FromColorRef(caption->font.color));
        const QFontMetrics metrics(painter.font());
        painter.drawText(left + caption->position.x, top + caption->position.y + metrics.ascent(),
                         QString::fromStdU16String(caption->text));
        painter.restore();
    }
}

}  // namespace vq
