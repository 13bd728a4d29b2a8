#include "qt/info_form_qt.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>

#include "qt/drop_shadow_qt.h"
#include "qt/pixel_image_qt.h"
#include "widgets/shadow_frame.h"

namespace vq {
namespace {

// Point sizes at 96 dpi, as the Windows window's fonts are made.
QFont MakeFont(const char* face, int points, bool bold, bool italic, bool underline) {
    QFont font(QString::fromLatin1(face));
    font.setPixelSize(points * 96 / 72);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

void Open(std::u16string_view address) {
    QDesktopServices::openUrl(
        QUrl(QString::fromUtf16(address.data(), static_cast<int>(address.size()))));
}

}  // namespace

TInfoForm::TInfoForm(std::function<AboutRows()> readRows)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), readRows_(std::move(readRows)) {
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(kAboutWidth, kAboutHeight);
    setMouseTracking(true);
    fonts_[static_cast<std::size_t>(AboutFont::Window)] =
        MakeFont("Tahoma", 8, false, false, false);
    fonts_[static_cast<std::size_t>(AboutFont::Bold)] = MakeFont("Tahoma", 8, true, false, false);
    fonts_[static_cast<std::size_t>(AboutFont::Link)] = MakeFont("Arial", 8, false, false, false);
    fonts_[static_cast<std::size_t>(AboutFont::Title)] =
        MakeFont("Times New Roman", 40, false, true, false);
    linkUnderlined_ = MakeFont("Arial", 8, false, false, true);
    if (auto globe = LoadPicture(QStringLiteral("globe-mouse.png"))) globe_ = ToQImage(*globe);
    if (auto logo = LoadPicture(QStringLiteral("logo.png"))) logo_ = ToQImage(*logo);
    shadowFrame_ = LoadPicture(QStringLiteral("shadowframe.png")).value_or(GenerateShadowFrame());
    shadow_ = std::make_unique<DropShadowQt>(*this, shadowFrame_);
    MeasureControls();
}

TInfoForm::~TInfoForm() = default;

void TInfoForm::Show() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    try {
        rows_ = readRows_ ? readRows_() : AboutRows{};
    } catch (...) {
        rows_ = AboutRows{};  // the rows show empty text when they cannot be read
    }
    MeasureControls();
    if (!shownBefore_) {
        // Centred at the first showing only; afterwards the window stays where it was.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
        const AboutPoint at = CentredOnScreen(area.width(), area.height(), width(), height());
        move(area.left() + at.x, area.top() + at.y);
        shownBefore_ = true;
    }
    show();
    raise();
    activateWindow();
    shadow_->ForceUpdatePosition();
}

QString TInfoForm::Caption(AboutPart part) const {
    switch (part) {
    case AboutPart::Label4: return QString::fromStdU16String(rows_.serverName);
    case AboutPart::Label5: return QString::fromStdU16String(rows_.displayName);
    case AboutPart::Label7: return QString::fromStdU16String(rows_.domain);
    default: {
        const std::u16string_view text = AboutFixedCaption(part);
        return QString::fromUtf16(text.data(), static_cast<int>(text.size()));
    }
    }
}

const QFont& TInfoForm::FontOf(AboutPart part) const {
    if (hovered_ == part) return linkUnderlined_;
    return fonts_[static_cast<std::size_t>(AboutControlOf(part).font)];
}

void TInfoForm::MeasureControls() {
    for (const AboutControl& control : AboutControls()) {
        if (!control.autoSize) continue;
        if (control.paint == AboutPaint::Picture) {
            const QImage& picture = control.part == AboutPart::Image2 ? logo_ : globe_;
            if (!picture.isNull())
                layout_.SetContentSize(control.part, picture.width(), picture.height());
            continue;
        }
        QString text = Caption(control.part);
        if (text.isEmpty()) text = QStringLiteral(" ");  // an empty label keeps a line's height
        const QFontMetrics metrics(FontOf(control.part));
        layout_.SetContentSize(control.part, metrics.horizontalAdvance(text), metrics.height());
    }
}

void TInfoForm::PaintTo(QPainter& painter) {
    painter.fillRect(0, 0, kAboutWidth, kAboutHeight, Qt::white);
    // In creation order, so that a later control lies over an earlier one.
    for (const AboutControl& control : AboutControls()) {
        const AboutRect r = layout_.Rect(control.part);
        switch (control.paint) {
        case AboutPaint::Picture: {
            const QImage& picture = control.part == AboutPart::Image2 ? logo_ : globe_;
            if (!picture.isNull()) painter.drawImage(r.left, r.top, picture);
            break;
        }
        case AboutPaint::Line:
            painter.fillRect(r.left, r.top, r.Width(), r.Height(), FromColorRef(control.color));
            break;
        case AboutPaint::Text: {
            painter.setFont(FontOf(control.part));
            painter.setPen(FromColorRef(control.color));
            painter.drawText(r.left, r.top + painter.fontMetrics().ascent(), Caption(control.part));
            break;
        }
        }
    }
}

QImage TInfoForm::Render() {
    QImage image(kAboutWidth, kAboutHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintTo(painter);
    return image;
}

void TInfoForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintTo(painter);
}

void TInfoForm::SetHovered(std::optional<AboutPart> part) {
    if (hovered_ == part) return;
    hovered_ = part;
    update();
}

void TInfoForm::mouseMoveEvent(QMouseEvent* event) {
    const std::optional<AboutPart> part = layout_.PartAt(event->pos().x(), event->pos().y());
    SetHovered(part && UnderlinesOnHover(*part) ? part : std::nullopt);
    setCursor(part && ShowsHandCursor(*part) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TInfoForm::leaveEvent(QEvent*) { SetHovered(std::nullopt); }

void TInfoForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const std::optional<AboutPart> part = layout_.PartAt(event->pos().x(), event->pos().y());
    if (!part) return;
    switch (ClickAction(*part)) {
    case AboutClick::Close: hide(); break;
    case AboutClick::OpenMakerSite: Open(kMakerSiteAddress); break;
    case AboutClick::OpenOwnCaption: Open(AboutFixedCaption(*part)); break;
    case AboutClick::Nothing: break;
    }
}

void TInfoForm::closeEvent(QCloseEvent* event) {
    // Closing hides; the window stays for the next showing.
    event->ignore();
    hide();
}

void TInfoForm::hideEvent(QHideEvent*) {
    SetHovered(std::nullopt);
    shadow_->ForceUpdatePosition();
}

void TInfoForm::moveEvent(QMoveEvent*) {
    if (isVisible()) shadow_->ForceUpdatePosition();
}

}  // namespace vq
