#pragma once
// TKVRMonitorForm on Qt: the program's main window on Linux. It owns the tray icon and its menu,
// the authorization worker and the status display, painted from the same view state
// (MonitorView) and changed by the same rules as on Windows. Trays do not report hover, so the
// window opens on a click on the icon and closes when the pointer leaves it or on a click
// elsewhere (it is a popup).

#include <QMenu>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "auth/auth_thread.h"
#include "formats/value_list.h"
#include "identity/config_sources.h"
#include "identity/server_config.h"
#include "qt/drop_shadow_qt.h"
#include "qt/gui_thread_auth_owner_qt.h"
#include "qt/traffic_bar_qt.h"
#include "qt/tray_icon_qt.h"
#include "ui/monitor_pictures.h"
#include "ui/monitor_view.h"
#include "widgets/xp_image_list.h"

namespace vq {

// What the window is given by the program's start.
struct MonitorServices {
    std::vector<std::u16string> arguments;         // the program's arguments, without its name
    const ConfigSources* configSources = nullptr;  // where the server address is read; outlives
    // WM_AUTH_NEED_DATA: fills "username", "groups" and "dname". Never raises.
    std::function<void(TValueList&)> answerNeedData;
    std::u16string headerUserName;  // the header's name at start-up
    std::u16string logFolder;       // where the "cdebug" connection log is written
    // "Переподключиться": starts the program again, whose new instance then takes over.
    std::function<void()> relaunch;
    // "О программе".
    std::function<void()> showAbout;
};

class TKVRMonitorForm final : public QWidget {
public:
    explicit TKVRMonitorForm(MonitorServices services);
    ~TKVRMonitorForm() override;

    TConectionStatus Status() const { return view_.FErrorStatus; }
    void SetStatus(TConectionStatus value);
    const std::u16string& ServerName() const { return config_.ServerName(); }
    const MonitorView& View() const { return view_; }
    TrayIconQt& CoolTrayIcon1() { return *trayIcon_; }
    QMenu& PopupMenu1() { return menu_; }

    // Starts the worker; called once, from the constructor.
    void Reconect();
    // A click on the tray icon: shows the window beside it, or hides it when it is shown.
    void CoolTrayIcon1Click();
    // Shows the window at its place beside the tray icon (or the pointer).
    void ShowBesideTray();

    void N1Click();  // menu: «Переподключиться», starts the program anew
    void N3Click();  // menu: «О программе»
    void N5Click();  // menu: «Выход»

    // The window's client area as it paints it (tests and the demo).
    QImage Render();

    // The worker's reports, on the GUI thread.
    void HandleWorkerMessage(unsigned msg, std::uintptr_t wParam, void* lParam) noexcept;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void LoadPictures();
    void CreateMenu();
    void FormDestroy();
    void ApplyView(const MonitorView& before);
    void PaintClientArea(QPainter& painter);
    MonitorPictures Pictures() const;

    MonitorServices services_;
    MonitorView view_;
    std::u16string FErrorMessage;  // the last failure's text, for the error panel
    char16_t decimalSeparator_ = u'.';
    bool pointerInside_ = false;  // the pointer has entered the shown window

    ServerConfig config_;
    std::shared_ptr<GuiThreadAuthOwner> authOwner_;
    std::unique_ptr<TAuthThread> FAuthThread;

    // The four status pictures (connecting, pause, connected, stop) and the pie chart.
    std::optional<PixelSurface> PicConecting_, PicPause_, PicConected_, PicStop_, Image1_;
    PixelSurface shadowFrame_;
    TXPImageList LoadingIcon_;   // the tray spinner's twelve frames
    TXPImageList NormalIcons_;   // the still tray icons and the menu's pictures
    TrafficBarQt TrafProgress_;  // the usage bar
    QMenu menu_;
    std::unique_ptr<TrayIconQt> trayIcon_;
    std::unique_ptr<DropShadowQt> BoldWindowShadow1_;
};

}  // namespace vq
