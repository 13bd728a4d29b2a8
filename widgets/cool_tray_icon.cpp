#include "widgets/cool_tray_icon.h"

#include <algorithm>
#include <vector>

#include "formats/errors.h"

namespace vq {

namespace {

constexpr std::uint32_t kNifMessage = 1;
constexpr std::uint32_t kNifIcon = 2;
constexpr std::uint32_t kNifTip = 4;
constexpr std::uint32_t kNotifyIconVersion = 3;
constexpr std::uint32_t kExitPollInterval = 20;

}  // namespace

// --- TTrayIconHandler -------------------------------------------------------------------------

std::uint32_t TTrayIconHandler::Add(TCoolTrayIcon& icon) {
    std::uint32_t id = nextId_++;
    while (id == 0 || icons_.count(id)) id = nextId_++;
    icons_[id] = &icon;
    return id;
}

TCoolTrayIcon* TTrayIconHandler::Find(std::uint32_t id) const {
    auto found = icons_.find(id);
    return found == icons_.end() ? nullptr : found->second;
}

std::optional<std::intptr_t> TTrayIconHandler::HandleIconMessage(std::uint32_t msg,
                                                                 std::uintptr_t wParam,
                                                                 std::intptr_t lParam) {
    using namespace tray_msg;
    switch (msg) {
    case WM_TRAY_CALLBACK:
        if (TCoolTrayIcon* icon = Find(static_cast<std::uint32_t>(wParam)))
            icon->HandleNotification(static_cast<std::uint32_t>(lParam));
        return 0;
    // The window must not be closed from outside, and never objects to the end of the logon.
    case kDestroy:
    case kClose:
    case kQueryEndSession:
    case kQuit:
    case kEndSession:
    case kNcDestroy: return 1;
    default: return std::nullopt;
    }
}

void TTrayIconHandler::TaskbarCreated() {
    // Copy first: a handler may create or destroy icons.
    std::vector<std::uint32_t> ids;
    for (const auto& entry : icons_) ids.push_back(entry.first);
    for (std::uint32_t id : ids)
        if (TCoolTrayIcon* icon = Find(id)) icon->TaskbarCreated();
}

// --- TCoolTrayIcon: lifecycle -------------------------------------------------------------------

TCoolTrayIcon::TCoolTrayIcon(TTrayIconHandler& handler, TSimpleTimerHandler& timers,
                             TrayOwner* owner)
    : handler_(handler),
      shell_(handler.Shell()),
      owner_(owner),
      CycleTimer(timers, 1000, [this](TSimpleTimer&) { CycleTimerTick(); }),
      ClickTimer(timers, 1000, [this](TSimpleTimer&) { ClickTimerTick(); }),
      ExitTimer(timers, kExitPollInterval, [this](TSimpleTimer&) { ExitTimerTick(); }) {
    FIconID = handler_.Add(*this);
    IconData = TNotifyIconDataEx{};
    IconData.cbSize = sizeof(TNotifyIconDataEx);
    IconData.hWnd = handler_.Window();
    IconData.uID = FIconID;
    IconData.uFlags = kNifMessage | kNifIcon | kNifTip;
    IconData.uCallbackMessage = WM_TRAY_CALLBACK;
}

TCoolTrayIcon::~TCoolTrayIcon() {
    SetIconVisible(false);
    CycleTimer.SetEnabled(false);
    ClickTimer.SetEnabled(false);
    ExitTimer.SetEnabled(false);
    FIcon.reset();
    handler_.Remove(FIconID);
}

void TCoolTrayIcon::Loaded() {
    if (owner_) {
        bool show = true;
        if (OnStartup) OnStartup(*this, show);
        if (!show) {
            owner_->SetShowMainFormAtStart(false);
            HideMainForm();
        }
    }
    ModifyTrayIcon();
    SetIconVisible(FIconVisible);
    SetCycleIcons(FCycleIcons);
    SetWantEnterExitEvents(FWantEnterExitEvents);
    SetBehavior(FBehavior);
}

void TCoolTrayIcon::ImageListRemoved(const TrayImageList* list) {
    if (list && list == FIconList) SetIconList(nullptr);
}

void TCoolTrayIcon::PopupMenuRemoved(const TrayPopupMenu* menu) {
    if (menu && menu == FPopupMenu) FPopupMenu = nullptr;
}

// --- Shell entry --------------------------------------------------------------------------------

void TCoolTrayIcon::PrepareIconData() {
    IconData.hIcon = 0;
    if (FIcon) {
        try {
            IconData.hIcon = FIcon->Handle();
        } catch (const EReadError&) {
            IconData.hIcon = 0;  // an entry without a picture rather than an exception
        }
    }
    IconData.szTip.fill(0);
    if (!FHint.empty() && FShowHint) {
        const std::size_t n = std::min<std::size_t>(FHint.size(), IconData.szTip.size() - 1);
        std::copy_n(FHint.begin(), n, IconData.szTip.begin());
    }
}

bool TCoolTrayIcon::AddTrayIcon() {
    PrepareIconData();
    FIconVisible = true;
    FInTray = shell_.NotifyIcon(kNimAdd, IconData);
    // A re-added icon has lost the notification scheme it asked for.
    if (FInTray && FBehavior != bhWin95) shell_.NotifyIcon(kNimSetVersion, IconData);
    return FInTray;
}

bool TCoolTrayIcon::DeleteTrayIcon() {
    PrepareIconData();
    FIconVisible = false;
    FInTray = false;
    return shell_.NotifyIcon(kNimDelete, IconData);
}

bool TCoolTrayIcon::ModifyTrayIcon() {
    PrepareIconData();
    if (shell_.NotifyIcon(kNimModify, IconData)) return true;
    // The shell may not have been ready when the icon was added (at logon): try the add again
    // rather than leave a visible icon out of the tray until the next "TaskbarCreated".
    if (FIconVisible && !FInTray) return AddTrayIcon();
    return false;
}

bool TCoolTrayIcon::SetFocus() {
    PrepareIconData();
    return shell_.NotifyIcon(kNimSetFocus, IconData);
}

void TCoolTrayIcon::SetBehavior(TBehavior value) {
    FBehavior = value;
    IconData.TimeoutOrVersion = value == bhWin2000 ? kNotifyIconVersion : 0;
    shell_.NotifyIcon(kNimSetVersion, IconData);
}

void TCoolTrayIcon::TaskbarCreated() {
    if (FIconVisible) AddTrayIcon();
}

// --- Settings -----------------------------------------------------------------------------------

void TCoolTrayIcon::SetHint(const std::u16string& value) {
    FHint = value;
    ModifyTrayIcon();
}

void TCoolTrayIcon::SetShowHint(bool value) {
    FShowHint = value;
    ModifyTrayIcon();
}

void TCoolTrayIcon::SetIcon(const TrayIconImage* picture) {
    // The copy itself does not notify; one update follows.
    FIcon = picture ? picture->Clone() : nullptr;
    ModifyTrayIcon();
}

void TCoolTrayIcon::IconChanged() { ModifyTrayIcon(); }

void TCoolTrayIcon::SetIconVisible(bool value) {
    if (value)
        AddTrayIcon();
    else
        DeleteTrayIcon();
}

void TCoolTrayIcon::SetIconList(TrayImageList* list) {
    ++FIconSettingChanges;
    FIconList = list;
    SetIconIndex(0);
}

void TCoolTrayIcon::SetIconIndex(int value) {
    ++FIconSettingChanges;
    if (FIconList) {
        // Lowered to the last image; a negative index or an empty list gives image 0.
        const int count = FIconList->Count();
        FIconIndex = std::max(0, value >= count ? count - 1 : value);
        if (FIconIndex < count) {
            FIcon = FIconList->GetIcon(FIconIndex);
            IconChanged();
        }
    } else {
        FIconIndex = 0;
    }
    ModifyTrayIcon();
}

void TCoolTrayIcon::SetCycleIcons(bool value) {
    ++FIconSettingChanges;
    FCycleIcons = value;
    if (value) {
        SetIconIndex(0);
        CycleTimer.SetInterval(FCycleInterval);
    }
    CycleTimer.SetEnabled(value);
}

void TCoolTrayIcon::SetCycleInterval(std::uint32_t value) {
    if (value == FCycleInterval) return;
    FCycleInterval = value;
    SetCycleIcons(FCycleIcons);
}

void TCoolTrayIcon::SetWantEnterExitEvents(bool value) {
    FWantEnterExitEvents = value;
    UpdateExitPoll();
}

// The exit poll runs only while the pointer counts as inside the icon: outside, every tick would
// find FDidExit set and do nothing, so a parked icon costs no timer messages at all.
void TCoolTrayIcon::UpdateExitPoll() {
    const bool run = FWantEnterExitEvents && !FDidExit;
    if (run != ExitTimer.Enabled()) ExitTimer.SetEnabled(run);
}

// --- Timers -------------------------------------------------------------------------------------

void TCoolTrayIcon::CycleTimerTick() {
    if (!FIconList) return;
    const int count = FIconList->Count();
    if (FIconIndex >= 0 && FIconIndex < count) {
        FIcon = FIconList->GetIcon(FIconIndex);
        // Handing the picture to the shell waits on another process, and the thread handles the
        // messages sent to it meanwhile: one of them may stop the animation or choose another
        // list or image. The tick then ends here instead of stepping the new setting on.
        const std::uint32_t changes = FIconSettingChanges;
        IconChanged();
        if (changes != FIconSettingChanges) return;
    }
    const int next = FIconIndex < count - 1 ? FIconIndex + 1 : 0;
    NotifyCycle(next);
    SetIconIndex(next);
}

void TCoolTrayIcon::ClickTimerTick() {
    ClickTimer.SetEnabled(false);
    if (FClickReady && !IsDblClick) {
        FClickReady = false;
        NotifyClick();
    }
    IsDblClick = false;
}

void TCoolTrayIcon::ExitTimerTick() {
    if (FDidExit) return;
    const auto pos = shell_.CursorPos();
    if (!pos) return;
    if (pos->x != LastMoveX || pos->y != LastMoveY) {
        FDidExit = true;
        UpdateExitPoll();
        NotifyMouseExit();
    }
}

// --- Notifications ------------------------------------------------------------------------------

TrayPoint TCoolTrayIcon::Cursor() { return shell_.CursorPos().value_or(TrayPoint{}); }

TCoolTrayIcon::ButtonReport TCoolTrayIcon::ReadButton(TMouseButton button) {
    TShiftState shift = shell_.KeyShiftState();
    switch (button) {
    case TMouseButton::mbLeft: shift |= ssLeft; break;
    case TMouseButton::mbRight: shift |= ssRight; break;
    case TMouseButton::mbMiddle: shift |= ssMiddle; break;
    }
    return {button, shift, Cursor()};
}

void TCoolTrayIcon::ReportDown(const ButtonReport& report) {
    NotifyMouseDown(report.button, report.shift, report.at.x, report.at.y);
}

void TCoolTrayIcon::ReportUp(const ButtonReport& report) {
    NotifyMouseUp(report.button, report.shift, report.at.x, report.at.y);
}

void TCoolTrayIcon::HandleNotification(std::uint32_t event) {
    // The balloon's notifications are reported even while the icon is disabled.
    if (HandleBalloonNotification(event) || !FEnabled) return;
    using namespace tray_msg;
    const bool autoMenu = FPopupMenu && FPopupMenu->AutoPopup();
    switch (event) {
    case kMouseMove: PointerMoved(); break;
    case kLButtonDown: LeftButtonDown(autoMenu); break;
    case kLButtonUp: LeftButtonUp(); break;
    case kLButtonDblClk: LeftDoubleClick(autoMenu); break;
    case kRButtonDown: RightButtonDown(autoMenu); break;
    case kRButtonUp:
        if (FBehavior == bhWin95) ReportUp(ReadButton(TMouseButton::mbRight));
        break;
    case kMButtonDown: ReportDown(ReadButton(TMouseButton::mbMiddle)); break;
    case kMButtonUp: ReportUp(ReadButton(TMouseButton::mbMiddle)); break;
    case kContextMenu:
    case kNinSelect:
    case kNinKeySelect:
        // With the newer behaviour the shell's menu request stands for the right button's release.
        if (FBehavior == bhWin2000) ReportUp(ReadButton(TMouseButton::mbRight));
        break;
    default: break;
    }
}

bool TCoolTrayIcon::HandleBalloonNotification(std::uint32_t event) {
    using namespace tray_msg;
    const TNotifyEvent* handler = nullptr;
    switch (event) {
    case kNinBalloonShow: handler = &OnBalloonHintShow; break;
    case kNinBalloonHide: handler = &OnBalloonHintHide; break;
    case kNinBalloonTimeout: handler = &OnBalloonHintTimeout; break;
    case kNinBalloonUserClick: handler = &OnBalloonHintClick; break;
    default: return false;
    }
    if (*handler) (*handler)(*this);
    return true;
}

void TCoolTrayIcon::PointerMoved() {
    if (FWantEnterExitEvents && FDidExit) {
        NotifyMouseEnter();
        FDidExit = false;
        UpdateExitPoll();
    }
    const TShiftState shift = shell_.KeyShiftState();
    const TrayPoint p = Cursor();
    NotifyMouseMove(shift, p.x, p.y);
    LastMoveX = p.x;
    LastMoveY = p.y;
}

void TCoolTrayIcon::LeftButtonDown(bool autoMenu) {
    // A double click is possible: the click waits for the double-click time before it is reported.
    if (OnDblClick) {
        ClickTimer.SetInterval(shell_.DoubleClickTime());
        ClickTimer.SetEnabled(true);
    }
    ReportDown(ReadButton(TMouseButton::mbLeft));
    FClickStart = true;
    if (FLeftPopup && autoMenu) {
        shell_.SetForegroundWindow(handler_.Window());
        PopupAtCursor();
    }
}

void TCoolTrayIcon::LeftButtonUp() {
    // Read before the click is reported, as the release found them.
    const ButtonReport release = ReadButton(TMouseButton::mbLeft);
    if (FClickStart) FClickReady = true;
    if (FClickStart && !ClickTimer.Enabled()) {
        FClickStart = false;
        FClickReady = false;
        NotifyClick();
    }
    FClickStart = false;
    ReportUp(release);
}

void TCoolTrayIcon::LeftDoubleClick(bool autoMenu) {
    FClickReady = false;  // the pending single click is dropped
    IsDblClick = true;
    NotifyDblClick();
    if (autoMenu && !FLeftPopup) FPopupMenu->ClickDefaultItem();
}

void TCoolTrayIcon::RightButtonDown(bool autoMenu) {
    ReportDown(ReadButton(TMouseButton::mbRight));
    if (autoMenu) {
        shell_.SetForegroundWindow(handler_.Window());
        PopupAtCursor();
    }
}

void TCoolTrayIcon::NotifyClick() {
    if (OnClick) OnClick(*this);
}
void TCoolTrayIcon::NotifyDblClick() {
    if (OnDblClick) OnDblClick(*this);
}
void TCoolTrayIcon::NotifyCycle(int nextIndex) {
    if (OnCycle) OnCycle(*this, nextIndex);
}
void TCoolTrayIcon::NotifyMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}
void TCoolTrayIcon::NotifyMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}
void TCoolTrayIcon::NotifyMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}
void TCoolTrayIcon::NotifyMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}
void TCoolTrayIcon::NotifyMouseExit() {
    if (OnMouseExit) OnMouseExit(*this);
}
void TCoolTrayIcon::NotifyMinimizeToTray() {
    HideMainForm();
    SetIconVisible(true);
}

// --- Menu ---------------------------------------------------------------------------------------

void TCoolTrayIcon::Popup(int x, int y) {
    if (!FPopupMenu) return;
    // SetForegroundWindow first, or the menu does not close when the user clicks elsewhere.
    shell_.SetForegroundWindow(IconData.hWnd);
    shell_.ProcessMessages();
    FPopupMenu->Popup(this, x, y);
    if (owner_) shell_.PostNullMessage(owner_->Handle());
}

void TCoolTrayIcon::PopupAtCursor() {
    if (const auto p = shell_.CursorPos()) Popup(p->x, p->y);
}

// --- Main window and hooks ----------------------------------------------------------------------

void TCoolTrayIcon::HideMainForm() {
    if (!owner_ || !owner_->HasMainForm()) return;
    owner_->SetMainFormVisible(false);
    HideTaskbarIcon();
}

void TCoolTrayIcon::ShowMainForm() {
    if (!owner_ || !owner_->HasMainForm()) return;
    owner_->RestoreApplication();
    if (owner_->MainFormMinimized()) owner_->RestoreMainForm();
    owner_->SetMainFormVisible(true);
    if (const std::uintptr_t app = owner_->ApplicationWindow()) shell_.SetForegroundWindow(app);
}

void TCoolTrayIcon::HideTaskbarIcon() {
    if (owner_ && owner_->ApplicationWindowVisible()) owner_->SetApplicationWindowVisible(false);
}

void TCoolTrayIcon::ShowTaskbarIcon() {
    if (owner_ && !owner_->ApplicationWindowVisible()) owner_->SetApplicationWindowVisible(true);
}

void TCoolTrayIcon::HandleApplicationMessage(std::uint32_t msg, std::uintptr_t wParam,
                                             std::intptr_t, std::uint32_t taskbarCreated) {
    using namespace tray_msg;
    if (taskbarCreated != 0 && msg == taskbarCreated) {
        TaskbarCreated();
        return;
    }
    switch (msg) {
    case kSize:
        if (wParam == kSizeMinimized && FMinimizeToTray) NotifyMinimizeToTray();
        break;
    case kSysCommand:
        if (wParam == kScRestore && owner_ && owner_->HasMainForm()) {
            if (owner_->MainFormMinimized()) owner_->RestoreMainForm();
            owner_->SetMainFormVisible(true);
        }
        break;
    default: break;
    }
}

std::optional<std::intptr_t> TCoolTrayIcon::HandleOwnerMessage(std::uint32_t msg,
                                                               std::uintptr_t wParam,
                                                               std::intptr_t lParam) {
    using namespace tray_msg;
    if (msg == kShowWindow && wParam == 1 && lParam == 0) {
        if (owner_) {
            if (const std::uintptr_t app = owner_->ApplicationWindow())
                shell_.SetForegroundWindow(app);
            shell_.SetForegroundWindow(owner_->Handle());
        }
        return std::nullopt;
    }
    const bool minimize = (msg == kShowWindow && wParam == 0 && lParam == kSwParentClosing &&
                           owner_ && !owner_->Terminating()) ||
                          (msg == kSysCommand && wParam == kScMinimize);
    if (minimize && FMinimizeToTray && OnMinimizeToTray) {
        OnMinimizeToTray(*this);
        NotifyMinimizeToTray();
        return 1;
    }
    return std::nullopt;
}

}  // namespace vq
