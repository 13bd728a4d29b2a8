#include "qt/monitor_form_qt.h"

#include <QApplication>
#include <QCursor>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextOption>

#include "auth/connection_log.h"
#include "auth/server_exchange.h"
#include "auth/worker_time.h"
#include "qt/pixel_image_qt.h"
#include "ui/monitor_layout.h"
#include "ui/monitor_window_identity.h"
#include "ui/status_setter.h"
#include "ui/tray_tooltip.h"
#include "ui/tray_window_placement.h"
#include "ui/worker_reports.h"
#include "widgets/shadow_frame.h"

namespace vq {
namespace {

using namespace monitor_layout;

// Character heights in pixels, as the Windows window has them at 96 dpi: 8 pt is 11 pixels,
// 10 pt is 13. Fontconfig gives a metric-compatible face for Arial where Arial is missing.
QFont MakeFont(int pixels, bool bold, bool italic) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QColor ToQColor(ViewColor color) {
    if (color == kWindowTextColor) return QApplication::palette().color(QPalette::WindowText);
    return FromColorRef(color);
}

QRect ToQRect(const ControlRect& r) { return QRect(r.left, r.top, r.width, r.height); }

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

// Lines as a Windows static text wraps them: at spaces only, as many words on a line as fit; a
// word wider than the line keeps a line of its own and is cut at the edge. (Qt's own wrapping
// would also break after the slashes of an address.)
QString WrapAtSpaces(const QString& text, const QFontMetrics& metrics, int width) {
    QString wrapped, line;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            wrapped += line + QLatin1Char('\n');
            line = word;
        } else {
            line = longer;
        }
    }
    return wrapped + line;
}

}  // namespace

TKVRMonitorForm::TKVRMonitorForm(MonitorServices services)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      services_(std::move(services)),
      config_(*services_.configSources, SystemTickSource()),
      TrafProgress_(kTrafProgress.width, kTrafProgress.height,
                    static_cast<char16_t>(QLocale::system().decimalPoint().unicode())) {
    decimalSeparator_ = static_cast<char16_t>(QLocale::system().decimalPoint().unicode());
    setWindowTitle(QString::fromWCharArray(kMonitorWindowTitle));
    setFixedSize(kMonitorClientWidth, kMonitorClientHeight);
    setMouseTracking(true);
    // A click on the tray icon that closes the window must not open it again.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_OpaquePaintEvent);
    TrafProgress_.SetPosition(view_.TrafProgress.position);

    LoadPictures();
    shadowFrame_ = LoadPicture(QStringLiteral("shadowframe.png")).value_or(GenerateShadowFrame());
    BoldWindowShadow1_ = std::make_unique<DropShadowQt>(*this, shadowFrame_);
    CreateMenu();
    trayIcon_ = std::make_unique<TrayIconQt>(LoadingIcon_, NormalIcons_, &menu_);
    trayIcon_->OnClick = [this] { CoolTrayIcon1Click(); };
    trayIcon_->Apply(view_.tray);
    trayIcon_->SetToolTip(TrayToolTip(view_));
    trayIcon_->Show();

    // As the Windows window's creation does it.
    SetStatus(esConecting);
    config_.ReadServerConfig();
    const MonitorView before = view_;
    view_.DisplayUserName.text = services_.headerUserName;
    ApplyView(before);
    Reconect();
}

TKVRMonitorForm::~TKVRMonitorForm() {
    FormDestroy();
    trayIcon_->Hide();
}

void TKVRMonitorForm::LoadPictures() {
    PicConecting_ = LoadPicture(QStringLiteral("pic-conecting.png"));
    PicPause_ = LoadPicture(QStringLiteral("pic-pause.png"));
    PicConected_ = LoadPicture(QStringLiteral("pic-conected.png"));
    PicStop_ = LoadPicture(QStringLiteral("pic-stop.png"));
    Image1_ = LoadPicture(QStringLiteral("pie-chart.png"));
    if (auto strip = LoadPicture(QStringLiteral("loading-icons.png")))
        LoadingIcon_.SetImagesBitmap(std::move(*strip));
    if (auto strip = LoadPicture(QStringLiteral("normal-icons.png")))
        NormalIcons_.SetImagesBitmap(std::move(*strip));
}

void TKVRMonitorForm::CreateMenu() {
    const auto icon = [this](int index) {
        return QIcon(QPixmap::fromImage(ToQImage(NormalIcons_.Image(index))));
    };
    menu_.addAction(icon(kMenuIconReconnect), QStringLiteral("Переподключиться"),
                    [this] { N1Click(); });
    menu_.addAction(icon(kMenuIconAbout), QStringLiteral("О программе"), [this] { N3Click(); });
    menu_.addSeparator();
    menu_.addAction(icon(kMenuIconExit), QStringLiteral("Выход"), [this] { N5Click(); });
}

void TKVRMonitorForm::Reconect() {
    config_.ResetLastConfigRead();
    AuthWorkerServices services;
    authOwner_ = std::make_shared<GuiThreadAuthOwner>(
        [this](unsigned msg, std::uintptr_t wParam, void* lParam) {
            HandleWorkerMessage(msg, wParam, lParam);
        });
    services.owner = authOwner_;
    services.time = std::make_shared<SystemWorkerTime>();
    services.log = std::make_shared<FileConnectionLog>(
        [arguments = services_.arguments] { return arguments; }, services_.logFolder);
    services.open_channel = [] { return std::make_unique<ServerExchange>(); };
    FAuthThread = std::make_unique<TAuthThread>(std::move(services));
}

void TKVRMonitorForm::FormDestroy() {
    if (FAuthThread) FAuthThread->Terminate();
    // The worker may be waiting in a report or in an exchange; later reports reach nothing.
    if (authOwner_) authOwner_->Detach();
}

void TKVRMonitorForm::SetStatus(TConectionStatus value) {
    const MonitorView before = view_;
    if (vq::SetStatus(view_, value, {config_.ServerName(), FErrorMessage})) ApplyView(before);
}

void TKVRMonitorForm::HandleWorkerMessage(unsigned msg, std::uintptr_t wParam,
                                          void* lParam) noexcept {
    try {
        const MonitorView before = view_;
        WorkerReportTarget target{view_, FErrorMessage, config_, decimalSeparator_,
                                  services_.answerNeedData};
        HandleWorkerReport(target, msg, wParam, lParam);
        ApplyView(before);
    } catch (...) {
        // A failed display update leaves the window as it was, and the worker goes on.
    }
}

// --- Copying the view onto the window ----------------------------------------------------------

void TKVRMonitorForm::ApplyView(const MonitorView& before) {
    if (TrafProgress_.Visible() != view_.TrafProgress.visible)
        TrafProgress_.SetVisible(view_.TrafProgress.visible);
    if (TrafProgress_.Position() != view_.TrafProgress.position)
        TrafProgress_.SetPosition(view_.TrafProgress.position);
    if (view_ != before) update();
    if (view_.tray != before.tray) trayIcon_->Apply(view_.tray);
    const std::u16string tip = TrayToolTip(view_);
    if (tip != TrayToolTip(before)) trayIcon_->SetToolTip(tip);
}

MonitorPictures TKVRMonitorForm::Pictures() const {
    const auto get = [](const std::optional<PixelSurface>& picture) {
        return picture ? &*picture : nullptr;
    };
    return {get(PicConecting_), get(PicPause_), get(PicConected_), get(PicStop_), get(Image1_)};
}

QImage TKVRMonitorForm::Render() {
    QImage image(kMonitorClientWidth, kMonitorClientHeight, QImage::Format_ARGB32);
    QPainter painter(&image);
    PaintClientArea(painter);
    return image;
}

void TKVRMonitorForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintClientArea(painter);
}

void TKVRMonitorForm::PaintClientArea(QPainter& out) {
    // The window's own surface: the error panel and the state line, then the pictures over them.
    QImage surface(kMonitorClientWidth, kMonitorClientHeight, QImage::Format_ARGB32);
    surface.fill(Qt::white);
    {
        QPainter p(&surface);
        if (view_.ErrorLabel.visible) {
            // Words wrapped, a word wider than the panel broken, cut at the panel's bottom edge.
            p.setFont(MakeFont(11, false, false));
            p.setPen(ToQColor(view_.ErrorLabel.color));
            QTextOption option(Qt::AlignLeft | Qt::AlignTop);
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            const QRect panel = ToQRect(kErrorLabel);
            p.setClipRect(panel);
            p.drawText(QRectF(panel.left(), panel.top(), panel.width(), 10000),
                       ToQString(view_.ErrorLabel.text), option);
            p.setClipping(false);
        }
        if (view_.Label1.visible) {
            // Sizes to its text; opaque.
            p.setFont(MakeFont(11, false, true));
            const QString text = ToQString(view_.Label1.text);
            const QRect r = p.fontMetrics().boundingRect(
                QRect(kLabel1.left, kLabel1.top, 0, 0),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            p.fillRect(r, Qt::white);
            p.setPen(ToQColor(view_.Label1.color));
            p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        }
    }
    PixelSurface canvas = ToPixelSurface(surface);
    PaintMonitorPictures(canvas, view_, Pictures());
    out.drawImage(0, 0, ToOpaqueQImage(canvas));

    // The static texts lie above the window's surface, each opaque and cut at its rectangle.
    const auto text = [&out](const ControlRect& place, const ViewText& shown, const QFont& font,
                             bool wrap) {
        if (!shown.visible) return;
        const QRect r = ToQRect(place);
        out.save();
        out.setClipRect(r);
        out.fillRect(r, Qt::white);
        out.setFont(font);
        out.setPen(ToQColor(shown.color));
        const QString shownText = ToQString(shown.text);
        if (wrap) {
            out.drawText(r, Qt::AlignLeft | Qt::AlignTop,
                         WrapAtSpaces(shownText, out.fontMetrics(), r.width()));
        } else {
            out.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shownText);
        }
        out.restore();
    };
    const QFont window = MakeFont(11, false, false);
    const QFont bold = MakeFont(11, true, false);
    text(kDisplayUserName, view_.DisplayUserName, MakeFont(13, false, false), true);
    text(kTarif, view_.Tarif, bold, false);
    text(kFullTitle, view_.FullTitle, window, false);
    text(kFullTraf, view_.FullTraf, bold, false);
    text(kDayli, view_.Dayli, bold, false);
    text(kStaticText4, view_.StaticText4, window, false);
    text(kStaticText3, view_.StaticText3, window, false);
    text(kOstatok, view_.Ostatok, bold, false);
    TrafProgress_.Paint(out, kTrafProgress.left, kTrafProgress.top);
}

// --- Showing beside the tray icon --------------------------------------------------------------

void TKVRMonitorForm::CoolTrayIcon1Click() {
    if (isVisible()) {
        hide();
        return;
    }
    ShowBesideTray();
}

void TKVRMonitorForm::ShowBesideTray() {
    const QPoint pointer = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const ScreenPoint place = TrayWindowPosition(
        trayIcon_->Geometry(), {pointer.x(), pointer.y()}, {width(), height()},
        {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
    pointerInside_ = rect().contains(mapFromGlobal(pointer));
    move(place.x, place.y);
    show();
    raise();
    BoldWindowShadow1_->ForceUpdatePosition();
}

void TKVRMonitorForm::mouseMoveEvent(QMouseEvent* event) {
    // A popup sees the pointer everywhere: it closes once the pointer, having been over it,
    // goes elsewhere.
    const bool inside = rect().contains(event->pos());
    if (inside) {
        pointerInside_ = true;
    } else if (pointerInside_) {
        hide();
    }
    QWidget::mouseMoveEvent(event);
}

void TKVRMonitorForm::leaveEvent(QEvent* event) {
    if (pointerInside_) hide();
    QWidget::leaveEvent(event);
}

void TKVRMonitorForm::hideEvent(QHideEvent* event) {
    pointerInside_ = false;
    BoldWindowShadow1_->ForceUpdatePosition();
    QWidget::hideEvent(event);
}

void TKVRMonitorForm::moveEvent(QMoveEvent* event) {
    if (isVisible()) BoldWindowShadow1_->ForceUpdatePosition();
    QWidget::moveEvent(event);
}

// --- Menu --------------------------------------------------------------------------------------

void TKVRMonitorForm::N1Click() {
    if (services_.relaunch) services_.relaunch();
}

void TKVRMonitorForm::N3Click() {
    if (services_.showAbout) services_.showAbout();
}

void TKVRMonitorForm::N5Click() {
    trayIcon_->Hide();
    QApplication::quit();
}

}  // namespace vq
