#include "qt/tray_icon_qt.h"

#include <QMenu>
#include <QPixmap>

#include "qt/pixel_image_qt.h"

namespace vq {
namespace {

std::vector<QIcon> IconsOf(const TXPImageList& list) {
    std::vector<QIcon> icons;
    for (int i = 0; i < list.Count(); ++i)
        icons.emplace_back(QPixmap::fromImage(ToQImage(list.Image(i))));
    return icons;
}

}  // namespace

TrayIconQt::TrayIconQt(const TXPImageList& loadingIcon, const TXPImageList& normalIcons,
                       QMenu* menu)
    : loading_(IconsOf(loadingIcon)), normal_(IconsOf(normalIcons)) {
    icon_.setContextMenu(menu);
    timer_.setInterval(kTraySpinInterval);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const int count = static_cast<int>(CurrentList().size());
        if (count > 0) ShowFrame((shownIndex_ + 1) % count);
    });
    QObject::connect(
        &icon_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
            if ((reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick) &&
                OnClick)
                OnClick();
        });
}

void TrayIconQt::Apply(const TrayView& view) {
    if (applied_ == view) return;
    // The icon as created shows the view's start frame and spins on from there.
    const int first = applied_ ? 0 : view.iconIndex;
    const bool restart = !applied_ || !cycling_ || applied_->list != view.list ||
                         applied_->assignments != view.assignments;
    applied_ = view;
    cycling_ = view.cycleIcons;
    if (cycling_) {
        if (restart) {
            ShowFrame(first);
            timer_.start();
        }
        return;
    }
    timer_.stop();
    ShowFrame(view.iconIndex);
}

const std::vector<QIcon>& TrayIconQt::CurrentList() const {
    return applied_ && applied_->list == TrayIconList::NormalIcons ? normal_ : loading_;
}

void TrayIconQt::ShowFrame(int index) {
    const std::vector<QIcon>& icons = CurrentList();
    if (index < 0 || index >= static_cast<int>(icons.size())) return;
    shownIndex_ = index;
    icon_.setIcon(icons[static_cast<std::size_t>(index)]);
}

void TrayIconQt::SetToolTip(const std::u16string& text) {
    icon_.setToolTip(QString::fromStdU16String(text));
}

void TrayIconQt::Show() { icon_.show(); }
void TrayIconQt::Hide() { icon_.hide(); }

std::optional<WindowRect> TrayIconQt::Geometry() const {
    const QRect r = icon_.geometry();
    if (!r.isValid() || r.isEmpty()) return std::nullopt;
    return WindowRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace vq
