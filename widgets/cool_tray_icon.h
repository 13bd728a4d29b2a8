#pragma once
// TCoolTrayIcon: one icon in the notification area. It turns the shell's callback messages into
// component events (buttons, movement, and the pointer entering and leaving the icon, which the
// shell never reports and which is found by a 20 ms cursor poll), animates the icon by stepping
// through an image list, pops up a menu and adds its icon again when the taskbar is re-created.
// All platform calls go through TrayShell; the Win32 shell is cool_tray_icon_win32.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "widgets/simple_timer.h"

namespace vq {

// Shell_NotifyIconW operations.
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNimSetFocus = 3;
inline constexpr std::uint32_t kNimSetVersion = 4;

// The callback message the shell sends to the notification window (WM_USER + 1024).
inline constexpr std::uint32_t WM_TRAY_CALLBACK = 0x800;

// Window messages the dispatch table and the hooks look at.
namespace tray_msg {
inline constexpr std::uint32_t kDestroy = 0x0002;
inline constexpr std::uint32_t kSize = 0x0005;
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kQueryEndSession = 0x0011;
inline constexpr std::uint32_t kQuit = 0x0012;
inline constexpr std::uint32_t kEndSession = 0x0016;
inline constexpr std::uint32_t kShowWindow = 0x0018;
inline constexpr std::uint32_t kContextMenu = 0x007B;
inline constexpr std::uint32_t kNcDestroy = 0x0082;
inline constexpr std::uint32_t kSysCommand = 0x0112;
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMButtonUp = 0x0208;
inline constexpr std::uint32_t kNinSelect = 0x0400;
inline constexpr std::uint32_t kNinKeySelect = 0x0401;
inline constexpr std::uint32_t kNinBalloonShow = 0x0402;
inline constexpr std::uint32_t kNinBalloonHide = 0x0403;
inline constexpr std::uint32_t kNinBalloonTimeout = 0x0404;
inline constexpr std::uint32_t kNinBalloonUserClick = 0x0405;
inline constexpr std::uintptr_t kSizeMinimized = 1;
inline constexpr std::uintptr_t kScMinimize = 0xF020;
inline constexpr std::uintptr_t kScRestore = 0xF120;
inline constexpr std::intptr_t kSwParentClosing = 1;
}  // namespace tray_msg

// The record handed to the shell on every call: NOTIFYICONDATAW in its version-2 layout
// (NOTIFYICONDATAW_V2_SIZE: 936 bytes with 32-bit handles, 952 with 64-bit ones). Handles are
// kept as pointer-sized integers so the layout matches the platform's field for field.
struct TNotifyIconDataEx {
    std::uint32_t cbSize = 0;
    std::uintptr_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uintptr_t hIcon = 0;
    std::array<char16_t, 128> szTip{};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<char16_t, 256> szInfo{};
    std::uint32_t TimeoutOrVersion = 0;  // union of uTimeout and uVersion
    std::array<char16_t, 64> szInfoTitle{};
    std::uint32_t dwInfoFlags = 0;
};
static_assert(sizeof(void*) != 4 || sizeof(TNotifyIconDataEx) == 936);
static_assert(sizeof(void*) != 8 || sizeof(TNotifyIconDataEx) == 952);

enum TBehavior : std::uint8_t { bhWin95 = 0, bhWin2000 = 1 };
enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// A set of shift, alt, ctrl and the mouse buttons, as bits.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;

struct TrayPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TrayPoint&, const TrayPoint&) = default;
};

// One platform icon, owned. Handle() may throw EReadError, which the tray entry turns into "no
// picture".
class TrayIconImage {
public:
    virtual ~TrayIconImage() = default;
    virtual std::uintptr_t Handle() const = 0;
    virtual std::unique_ptr<TrayIconImage> Clone() const = 0;
};

// What the tray icon uses of an image list: the number of images and a copy of image i as icon.
class TrayImageList {
public:
    virtual ~TrayImageList() = default;
    virtual int Count() const = 0;
    virtual std::unique_ptr<TrayIconImage> GetIcon(int index) const = 0;
};

// The pop-up menu shown from the icon.
class TrayPopupMenu {
public:
    virtual ~TrayPopupMenu() = default;
    virtual bool AutoPopup() const = 0;
    // Shows the menu at a screen point and returns once it closed (it runs its own message loop,
    // during which the timers keep ticking). `invoker` is the component that opened it.
    virtual void Popup(const void* invoker, int x, int y) = 0;
    // Clicks the top-level item of lowest index whose default mark is set; false when none.
    virtual bool ClickDefaultItem() = 0;
};

// The shell, cursor, keyboard and window services of the platform.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    // Shell_NotifyIconW.
    virtual bool NotifyIcon(std::uint32_t message, const TNotifyIconDataEx& data) = 0;
    virtual std::optional<TrayPoint> CursorPos() = 0;
    // Shift, ctrl and alt from the asynchronous key states.
    virtual TShiftState KeyShiftState() = 0;
    virtual std::uint32_t DoubleClickTime() = 0;
    virtual void SetForegroundWindow(std::uintptr_t window) = 0;
    // Dispatches all pending messages of the thread.
    virtual void ProcessMessages() = 0;
    virtual void PostNullMessage(std::uintptr_t window) = 0;
};

// The owner window and the application's main window, for the start-up step and minimize to tray.
// An owner without a main window answers false to HasMainForm.
class TrayOwner {
public:
    virtual ~TrayOwner() = default;
    virtual std::uintptr_t Handle() const = 0;
    virtual bool HasMainForm() const = 0;
    virtual bool MainFormMinimized() const = 0;
    virtual void SetMainFormVisible(bool visible) = 0;
    virtual void RestoreMainForm() = 0;  // a minimized main window is set to normal
    virtual void RestoreApplication() = 0;
    virtual void SetShowMainFormAtStart(bool show) = 0;
    virtual bool Terminating() const = 0;
    virtual std::uintptr_t ApplicationWindow() const = 0;  // 0 when there is none
    virtual bool ApplicationWindowVisible() const = 0;
    virtual void SetApplicationWindowVisible(bool visible) = 0;
};

class TCoolTrayIcon;

// The one notification window shared by all tray icons: the shell's notifications for every icon
// arrive there, and the message's wParam names the icon. Identifiers are handed out from a
// counter rather than taken from addresses, which would not fit 32 bits on x64.
class TTrayIconHandler {
public:
    TTrayIconHandler(TrayShell& shell, std::uintptr_t window) : shell_(shell), window_(window) {}
    TTrayIconHandler(const TTrayIconHandler&) = delete;
    TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;

    // The shared window's message procedure; no value means "pass to DefWindowProcW".
    std::optional<std::intptr_t> HandleIconMessage(std::uint32_t msg, std::uintptr_t wParam,
                                                   std::intptr_t lParam);
    // The shell's taskbar was re-created: every visible icon is added again.
    void TaskbarCreated();

    TrayShell& Shell() { return shell_; }
    std::uintptr_t Window() const { return window_; }
    int RefCount() const { return static_cast<int>(icons_.size()); }
    TCoolTrayIcon* Find(std::uint32_t id) const;

private:
    friend class TCoolTrayIcon;
    std::uint32_t Add(TCoolTrayIcon& icon);
    void Remove(std::uint32_t id) { icons_.erase(id); }

    TrayShell& shell_;
    std::uintptr_t window_;
    std::map<std::uint32_t, TCoolTrayIcon*> icons_;
    std::uint32_t nextId_ = 1;
};

class TCoolTrayIcon {
public:
    using TNotifyEvent = std::function<void(TCoolTrayIcon& sender)>;
    using TCycleEvent = std::function<void(TCoolTrayIcon& sender, int nextIndex)>;
    using TStartupEvent = std::function<void(TCoolTrayIcon& sender, bool& showMainForm)>;
    using TMouseEvent = std::function<void(TCoolTrayIcon& sender, TMouseButton button,
                                           TShiftState shift, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(TCoolTrayIcon& sender, TShiftState shift, int x, int y)>;

    // `owner` may be null (an owner that is not a window).
    TCoolTrayIcon(TTrayIconHandler& handler, TSimpleTimerHandler& timers,
                  TrayOwner* owner = nullptr);
    virtual ~TCoolTrayIcon();
    TCoolTrayIcon(const TCoolTrayIcon&) = delete;
    TCoolTrayIcon& operator=(const TCoolTrayIcon&) = delete;

    // Events (assign directly).
    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit, OnMinimizeToTray;
    TNotifyEvent OnBalloonHintShow, OnBalloonHintHide, OnBalloonHintTimeout, OnBalloonHintClick;
    TCycleEvent OnCycle;
    TStartupEvent OnStartup;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Stored settings.
    TrayImageList* IconList() const { return FIconList; }
    void SetIconList(TrayImageList* list);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool value);
    std::uint32_t CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(std::uint32_t value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    const std::u16string& Hint() const { return FHint; }
    void SetHint(const std::u16string& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    const TrayIconImage* Icon() const { return FIcon.get(); }
    void SetIcon(const TrayIconImage* picture);
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);
    TrayPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TrayPopupMenu* menu) { FPopupMenu = menu; }
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool value) { FLeftPopup = value; }
    bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }

    TBehavior Behavior() const { return FBehavior; }
    void SetBehavior(TBehavior value);
    std::uintptr_t Handle() const { return IconData.hWnd; }
    std::uint32_t IconID() const { return FIconID; }
    const TNotifyIconDataEx& Data() const { return IconData; }
    // The last NIM_ADD succeeded and no NIM_DELETE followed.
    bool InTray() const { return FInTray; }
    // True while the pointer counts as outside the icon.
    bool DidExit() const { return FDidExit; }
    const TSimpleTimer& CycleTimerObject() const { return CycleTimer; }
    const TSimpleTimer& ClickTimerObject() const { return ClickTimer; }
    const TSimpleTimer& ExitTimerObject() const { return ExitTimer; }

    // The loaded step, run once the owner's stored settings have been applied.
    void Loaded();
    // A referenced component is going away.
    void ImageListRemoved(const TrayImageList* list);
    void PopupMenuRemoved(const TrayPopupMenu* menu);

    void Popup(int x, int y);
    void PopupAtCursor();
    bool Refresh() { return ModifyTrayIcon(); }
    bool SetFocus();
    void HideMainForm();
    void ShowMainForm();
    void HideTaskbarIcon();
    void ShowTaskbarIcon();

    // One shell notification for this icon (lParam of WM_TRAY_CALLBACK).
    void HandleNotification(std::uint32_t event);
    // A message seen by the application window hook (never consumed). `taskbarCreated` is the
    // registered "TaskbarCreated" number, 0 when there is none.
    void HandleApplicationMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::uint32_t taskbarCreated);
    // The owner window's subclass; a value means "answered, not passed on".
    std::optional<std::intptr_t> HandleOwnerMessage(std::uint32_t msg, std::uintptr_t wParam,
                                                    std::intptr_t lParam);
    void TaskbarCreated();

protected:
    virtual bool AddTrayIcon();
    virtual bool DeleteTrayIcon();
    virtual bool ModifyTrayIcon();

    virtual void NotifyClick();
    virtual void NotifyDblClick();
    virtual void NotifyCycle(int nextIndex);
    virtual void NotifyMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void NotifyMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void NotifyMouseMove(TShiftState shift, int x, int y);
    virtual void NotifyMouseEnter();
    virtual void NotifyMouseExit();
    virtual void NotifyMinimizeToTray();

private:
    void PrepareIconData();
    void IconChanged();  // FIcon's change notification
    void CycleTimerTick();
    void ClickTimerTick();
    void ExitTimerTick();
    void UpdateExitPoll();
    TrayPoint Cursor();

    // One shell notification, by kind.
    bool HandleBalloonNotification(std::uint32_t event);  // false: not a balloon's
    void PointerMoved();
    void LeftButtonDown(bool autoMenu);
    void LeftButtonUp();
    void LeftDoubleClick(bool autoMenu);
    void RightButtonDown(bool autoMenu);

    // A button report: the button, the keys and buttons held with it, and where the pointer is.
    struct ButtonReport {
        TMouseButton button;
        TShiftState shift;
        TrayPoint at;
    };
    // Reads the keys, then the pointer, from the shell.
    ButtonReport ReadButton(TMouseButton button);
    void ReportDown(const ButtonReport& report);
    void ReportUp(const ButtonReport& report);

    TTrayIconHandler& handler_;
    TrayShell& shell_;
    TrayOwner* owner_;

    bool FEnabled = true;
    std::unique_ptr<TrayIconImage> FIcon;
    std::uint32_t FIconID = 0;
    bool FIconVisible = false;
    std::u16string FHint;
    bool FShowHint = true;
    TrayPopupMenu* FPopupMenu = nullptr;
    bool FLeftPopup = false;  // the left button pops up the menu as well
    bool FMinimizeToTray = false;
    bool FClickStart = false;  // a left press was seen; its release is awaited
    bool FClickReady = false;  // a whole click waits for the double-click time to pass
    TSimpleTimer CycleTimer;   // steps the animation
    TSimpleTimer ClickTimer;   // the double-click window
    TSimpleTimer ExitTimer;    // polls the pointer every 20 ms to find it leaving the icon
    int LastMoveX = 0;         // the pointer (screen) at the last move over the icon
    int LastMoveY = 0;
    bool FDidExit = true;               // the pointer counts as outside the icon
    bool FWantEnterExitEvents = false;  // run the enter and exit detection
    TBehavior FBehavior = bhWin95;      // the shell's notification scheme asked for
    bool IsDblClick = false;            // a double click is being handled
    int FIconIndex = 0;                 // the current image in FIconList
    TrayImageList* FIconList = nullptr;
    bool FCycleIcons = false;
    std::uint32_t FCycleInterval = 0;
    TNotifyIconDataEx IconData{};
    // Counts the changes of list, image and cycling, so that a cycle step can tell that one
    // happened while it was handing its picture to the shell.
    std::uint32_t FIconSettingChanges = 0;
    // The last NIM_ADD succeeded and no NIM_DELETE followed: a failed add is retried.
    bool FInTray = false;
};

}  // namespace vq
