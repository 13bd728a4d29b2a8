#pragma once
// TKVRMonitorForm: the program's main window. It is never shown except beside the tray icon while
// the pointer rests there; it owns the tray icon and its menu, the authorization worker and every
// control of the status display. The rules of what it shows live in the portable view state
// (MonitorView); this class copies that state onto its controls and handles the worker's
// messages, none of which may raise out of the window procedure.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "auth/address_change_notification_win32.h"
#include "auth/auth_thread.h"
#include "auth/worker_time.h"
#include "identity/config_sources_win32.h"
#include "identity/identity_platform_win32.h"
#include "identity/server_config.h"
#include "ui/hover_placement.h"
#include "ui/monitor_layout.h"
#include "ui/monitor_pictures.h"
#include "ui/monitor_view.h"
#include "ui/monitor_window_identity.h"
#include "ui/window_auth_owner_win32.h"
#include "widgets/bold_window_shadow_win32.h"
#include "widgets/cool_tray_icon_win32.h"
#include "widgets/gdi_handles_win32.h"
#include "widgets/q_progress_bar_win32.h"
#include "widgets/simple_timer_win32.h"
#include "widgets/task_bar.h"
#include "widgets/task_bar_win32.h"
#include "widgets/xp_image_list.h"
#include "widgets/xp_tray_images_win32.h"

namespace vq {

// How the program was started.
struct ProgramStart {
    HINSTANCE instance = nullptr;
    std::vector<std::u16string> arguments;  // without the program's name
    std::filesystem::path executable;
    // "Переподключиться": starts the program again, whose new instance then takes over.
    std::function<void()> relaunch;
    // Makes the worker's sense of time; empty: real pauses (SystemWorkerTime).
    std::function<std::shared_ptr<WorkerTime>()> workerTime = {};
};

class TKVRMonitorForm final : private HoverWindow {
public:
    static constexpr const wchar_t* kClassName = kMonitorWindowClass;
    // Posted to the window when an address of the machine is added or changed: the worker is to
    // authorize on the new network.
    static constexpr UINT kAddressChangedMessage = WM_APP + 1;

    // Creates the window hidden, applies its settings, and runs FormCreate, which starts the
    // worker. Handle() is null when the window could not be created.
    explicit TKVRMonitorForm(ProgramStart start);
    ~TKVRMonitorForm() override;
    TKVRMonitorForm(const TKVRMonitorForm&) = delete;
    TKVRMonitorForm& operator=(const TKVRMonitorForm&) = delete;

    HWND Handle() const { return window_; }
    // The hidden window that owns the program's windows.
    HWND ApplicationWindow() const { return applicationWindow_.Get(); }

    TConectionStatus Status() const { return view_.FErrorStatus; }
    void SetStatus(TConectionStatus value);
    const std::u16string& ServerName() const { return config_.ServerName(); }
    const MonitorView& View() const { return view_; }
    // The window has been shown the ordinary way (the first hover); parking does not clear it.
    bool VisibleMark() override { return visibleMark_; }

    // Starts the worker; called once, from FormCreate.
    void Reconect();

    // "О программе": shows the about window, which the program's entry creates.
    std::function<void()> OnShowAbout;

    TCoolTrayIcon& CoolTrayIcon1() { return *trayIcon_; }
    Win32TrayMenu& PopupMenu1() { return *menu_; }
    TBoldWindowShadow& BoldWindowShadow1() { return *BoldWindowShadow1_; }
    TTaskBar& TaskBar1() { return *TaskBar1_; }

    void CoolTrayIcon1MouseEnter();
    void CoolTrayIcon1MouseExit();
    void N1Click();  // menu: «Переподключиться», starts the program anew
    void N3Click();  // menu: «О программе»
    void N5Click();  // menu: «Выход»

private:
    struct StaticText;
    struct WindowCreateParams {
        DWORD style;
        DWORD exStyle;
    };

    static WindowCreateParams CreateParams();

    static ATOM RegisterWindowClass(HINSTANCE instance);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void HandleWorkerMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    void CreateControls();
    void LoadPictures();
    void ApplyTrayIconSettings();
    void ApplyTaskBarSettings();
    void FormCreate();
    void FormDestroy();
    // WM_ENDSESSION for a session that ends: the icon goes, then the window and the program.
    void EndSession();
    // WM_POWERBROADCAST: on resume from sleep or hibernation the worker authorizes at once.
    void PowerBroadcast(WPARAM event);

    // Copies what changed between `before` and the current view onto the controls.
    void ApplyView(const MonitorView& before);
    void ApplyTray();
    void OnPaint();
    MonitorPictures Pictures() const;
    std::optional<LRESULT> ColorStatic(HDC dc, HWND control);

    // HoverWindow
    std::optional<ScreenPoint> CursorPos() override;
    WindowSize OuterSize() override;
    void PlaceShown(ScreenPoint topLeft) override;
    void PlaceHidden(ScreenPoint topLeft) override;
    void ShowNormal() override;
    void Repaint() override;
    void UpdateShadowPosition() override;

    ProgramStart start_;
    UniqueHandle<HWND, &DestroyWindow> applicationWindow_;
    HWND window_ = nullptr;
    MonitorView view_;
    std::u16string FErrorMessage;  // the last failure's text, for the error panel
    char16_t decimalSeparator_ = u'.';
    bool visibleMark_ = false;
    bool quitOnDestroy_ = true;

    Win32ConfigSources configSources_;
    ServerConfig config_;
    Win32IdentityPlatform identity_;
    std::shared_ptr<WindowAuthOwner> authOwner_;
    std::unique_ptr<TAuthThread> FAuthThread;
    // Posts kAddressChangedMessage to this window when the machine gets a new address.
    std::unique_ptr<AddressChangeNotification> addressChanges_;

    // Fonts: the window's (Arial 8 pt), the state line's (italic), the header's (Arial 10 pt) and
    // the values' (bold).
    UniqueHandle<HFONT, &DeleteObject> windowFont_, italicFont_, headerFont_, boldFont_;
    std::vector<std::unique_ptr<StaticText>> statics_;
    // The static texts and the usage bar, each showing the MonitorView field of its name.
    StaticText* DisplayUserName_ = nullptr;
    StaticText* Tarif_ = nullptr;
    StaticText* FullTitle_ = nullptr;
    StaticText* FullTraf_ = nullptr;
    StaticText* Dayli_ = nullptr;
    StaticText* StaticText4_ = nullptr;
    StaticText* StaticText3_ = nullptr;
    StaticText* Ostatok_ = nullptr;
    std::unique_ptr<QProgressBarWindow> TrafProgress_;

    // The four status pictures (connecting, pause, connected, stop) and the pie chart.
    std::optional<PixelSurface> PicConecting_, PicPause_, PicConected_, PicStop_, Image1_;
    PixelSurface shadowFrame_;
    std::unique_ptr<TBoldWindowShadow> BoldWindowShadow1_;

    TXPImageList LoadingIcon_;  // the tray spinner's twelve frames
    TXPImageList NormalIcons_;  // the still tray icons and the menu's pictures
    std::unique_ptr<XPTrayImages> loadingImages_, normalImages_;
    std::unique_ptr<SimpleTimerWindow> timers_;
    std::unique_ptr<TrayNotifyWindow> notify_;
    std::unique_ptr<Win32TrayOwner> trayOwner_;
    std::unique_ptr<Win32TrayMenu> menu_;
    std::unique_ptr<TCoolTrayIcon> trayIcon_;
    std::unique_ptr<TrayOwnerSubclass> traySubclass_;
    std::unique_ptr<Win32TaskbarPlatform> taskbarPlatform_;
    std::unique_ptr<TTaskBar> TaskBar1_;
    std::unique_ptr<TaskBarMessageHook> taskBarHook_;  // removed before the bar goes
};

}  // namespace vq
