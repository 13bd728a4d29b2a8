#pragma once
// The tray icon on Qt (QSystemTrayIcon: a StatusNotifierItem where the desktop hosts one, an
// XEmbed icon otherwise): the spinner and the still icons of the monitor view, its tooltip and
// its menu. Trays do not report hover to their icons, so a click stands for the pointer's rest.

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "ui/monitor_view.h"
#include "ui/tray_window_placement.h"
#include "widgets/xp_image_list.h"

class QMenu;

namespace vq {

// The spinner's pace, as on Windows.
inline constexpr int kTraySpinInterval = 120;

class TrayIconQt {
public:
    // The icons are cut from the two lists now; the menu is the icon's context menu and must
    // outlive it.
    TrayIconQt(const TXPImageList& loadingIcon, const TXPImageList& normalIcons, QMenu* menu);
    TrayIconQt(const TrayIconQt&) = delete;
    TrayIconQt& operator=(const TrayIconQt&) = delete;

    // Shows what the view's tray part asks: the spinner from its first frame when cycling
    // starts, restarts or changes list, else the still icon of that index.
    void Apply(const TrayView& view);
    void SetToolTip(const std::u16string& text);
    void Show();
    void Hide();

    // The icon's place on the screen where the tray tells it (XEmbed), else nothing.
    std::optional<WindowRect> Geometry() const;
    // The frame or still icon shown now (tests and the desktop checks).
    int ShownIndex() const { return shownIndex_; }
    bool Spinning() const { return timer_.isActive(); }
    QSystemTrayIcon& Icon() { return icon_; }

    // A left click (or a middle click) on the icon.
    std::function<void()> OnClick;

private:
    const std::vector<QIcon>& CurrentList() const;
    void ShowFrame(int index);

    std::vector<QIcon> loading_;  // the spinner's frames
    std::vector<QIcon> normal_;   // the still icons
    QSystemTrayIcon icon_;
    QTimer timer_;
    bool cycling_ = false;
    int shownIndex_ = -1;
    std::optional<TrayView> applied_;
};

}  // namespace vq
