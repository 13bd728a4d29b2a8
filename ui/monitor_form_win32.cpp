#include "ui/monitor_form_win32.h"

#include <algorithm>
#include <utility>

#include "auth/auth_messages.h"
#include "auth/connection_log.h"
#include "formats/line_list.h"
#include "auth/server_exchange.h"
#include "auth/worker_time.h"
#include "formats/wide_text_win32.h"
#include "identity/user_identity.h"
#include "resources/resource_names.h"
#include "ui/decimal_separator.h"
#include "ui/header_name.h"
#include "ui/monitor_pictures.h"
#include "ui/status_setter.h"
#include "ui/traffic_bar_settings.h"
#include "ui/worker_reports.h"
#include "ui/window_auth_owner_win32.h"
#include "widgets/dib_section_win32.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/shadow_frame_resource_win32.h"
#include "widgets/window_procedure_win32.h"
#include "widgets/xp_image_list_gdi_win32.h"

namespace vq {
namespace {

using namespace monitor_layout;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kTrayCycleInterval = 120;
constexpr int kTrayStartFrame = 10;

// Character heights in pixels at 96 dpi: 8 pt is 11 pixels, 10 pt is 13.
constexpr int kHeight8pt = -11;
constexpr int kHeight10pt = -13;

HFONT MakeFont(const wchar_t* face, int height, bool bold, bool italic) {
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                       RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

COLORREF ToColorRef(ViewColor color) {
    return color == kWindowTextColor ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(color);
}

}  // namespace

// A static text child window and the colour it is drawn in.
struct TKVRMonitorForm::StaticText {
    HWND window = nullptr;
    ViewColor color = kBlack;
    std::u16string text;
    bool visible = true;

    void Apply(const ViewText& wanted) {
        if (wanted.text != text) {
            text = wanted.text;
            SetWindowTextW(window, WidePtr(text));
        }
        if (wanted.color != color) {
            color = wanted.color;
            InvalidateRect(window, nullptr, TRUE);
        }
        if (wanted.visible != visible) {
            visible = wanted.visible;
            ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
        }
    }
};

ATOM TKVRMonitorForm::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (const ATOM atom = static_cast<ATOM>(GetClassInfoExW(instance, kClassName, &existing)))
        return atom;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc =
        &WindowProcedure<TKVRMonitorForm, &TKVRMonitorForm::WindowProc, &TKVRMonitorForm::window_>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
}

TKVRMonitorForm::TKVRMonitorForm(ProgramStart start)
    : start_(std::move(start)),
      configSources_(FromWide(start_.executable.wstring()), start_.arguments),
      config_(configSources_, SystemTickSource()) {
    decimalSeparator_ = LocaleDecimalSeparator();
    RegisterWindowClass(start_.instance);
    const WindowCreateParams params = CreateParams();
    // The program's windows are owned by a hidden application window, as a framework's forms are:
    // an owned window never gets a taskbar button, whatever the shell makes of the tool-window
    // style (Wine's taskbar, for one, lists every visible unowned window).
    applicationWindow_.Reset(CreateWindowExW(0, L"STATIC", L"vq", WS_POPUP, 0, 0, 0, 0, nullptr,
                                             nullptr, start_.instance, nullptr));
    window_ = CreateWindowExW(params.exStyle, kClassName, L"", params.style, 0, 0,
                              kMonitorClientWidth, kMonitorClientHeight, applicationWindow_.Get(),
                              nullptr, start_.instance, this);
    if (!window_) return;

    CreateControls();
    LoadPictures();
    shadowFrame_ = LoadShadowFrame(start_.instance);
    // The shadow follows the window's visible mark, not its platform visibility: parked, the
    // window is hidden with the mark kept, and its shadow stays shown off-screen beside it.
    BoldWindowShadow1_ =
        std::make_unique<TBoldWindowShadow>(window_, shadowFrame_, [this] { return visibleMark_; });
    ApplyTrayIconSettings();
    ApplyTaskBarSettings();
    trayIcon_->Loaded();
    FormCreate();
}

TKVRMonitorForm::WindowCreateParams TKVRMonitorForm::CreateParams() {
    // A borderless window whose client area is its whole size; the tool-window style keeps it out
    // of the taskbar and the task switcher.
    WindowCreateParams params{WS_POPUP | WS_CLIPCHILDREN, 0};
    params.exStyle |= WS_EX_TOOLWINDOW;
    return params;
}

TKVRMonitorForm::~TKVRMonitorForm() {
    // The tray icon leaves the notification area before its windows go.
    traySubclass_.reset();
    trayIcon_.reset();
    // The message loop is over (or was never this window's): destroying the window now must not
    // end the thread's next one.
    quitOnDestroy_ = false;
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void TKVRMonitorForm::CreateControls() {
    windowFont_.Reset(MakeFont(L"Arial", kHeight8pt, false, false));
    italicFont_.Reset(MakeFont(L"Arial", kHeight8pt, false, true));
    headerFont_.Reset(MakeFont(L"Arial", kHeight10pt, false, false));
    boldFont_.Reset(MakeFont(L"Arial", kHeight8pt, true, false));

    auto make = [&](const ControlRect& r, const ViewText& initial, HFONT font, DWORD align) {
        auto control = std::make_unique<StaticText>();
        control->text = initial.text;
        control->color = initial.color;
        control->visible = initial.visible;
        control->window = CreateWindowExW(
            0, L"STATIC", WidePtr(initial.text),
            WS_CHILD | SS_NOPREFIX | align | (initial.visible ? WS_VISIBLE : 0), r.left, r.top,
            r.width, r.height, window_, nullptr, start_.instance, nullptr);
        SendMessageW(control->window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        statics_.push_back(std::move(control));
        return statics_.back().get();
    };
    // One-line rows cut what does not fit instead of wrapping it out of sight.
    const DWORD line = SS_LEFTNOWORDWRAP;
    DisplayUserName_ = make(kDisplayUserName, view_.DisplayUserName, headerFont_.Get(), SS_LEFT);
    Tarif_ = make(kTarif, view_.Tarif, boldFont_.Get(), line);
    TrafProgress_ = std::make_unique<QProgressBarWindow>(
        window_, kTrafProgress.left, kTrafProgress.top, kTrafProgress.width, kTrafProgress.height);
    FullTitle_ = make(kFullTitle, view_.FullTitle, windowFont_.Get(), line);
    FullTraf_ = make(kFullTraf, view_.FullTraf, boldFont_.Get(), line);
    Dayli_ = make(kDayli, view_.Dayli, boldFont_.Get(), line);
    StaticText4_ = make(kStaticText4, view_.StaticText4, windowFont_.Get(), line);
    StaticText3_ = make(kStaticText3, view_.StaticText3, windowFont_.Get(), line);
    Ostatok_ = make(kOstatok, view_.Ostatok, boldFont_.Get(), line);

    if (TrafProgress_->Handle()) {
        TQProgressBar& bar = TrafProgress_->Bar();
        TrafProgress_->SetParentColor(kWhite);
        bar.SetDecimalSeparator(decimalSeparator_);
        ApplyTrafficBarSettings(bar);
        bar.SetPosition(view_.TrafProgress.position);
    }
}

void TKVRMonitorForm::LoadPictures() {
    const HMODULE module = start_.instance;
    PicConecting_ = LoadPictureResource(module, VQ_RES_PIC_CONECTING);
    PicPause_ = LoadPictureResource(module, VQ_RES_PIC_PAUSE);
    PicConected_ = LoadPictureResource(module, VQ_RES_PIC_CONECTED);
    PicStop_ = LoadPictureResource(module, VQ_RES_PIC_STOP);
    Image1_ = LoadPictureResource(module, VQ_RES_PIE_CHART);
    if (auto strip = LoadPictureResource(module, VQ_RES_LOADING_ICONS))
        LoadingIcon_.SetImagesBitmap(*strip);
    if (auto strip = LoadPictureResource(module, VQ_RES_NORMAL_ICONS))
        NormalIcons_.SetImagesBitmap(*strip);
}

void TKVRMonitorForm::ApplyTrayIconSettings() {
    loadingImages_ = std::make_unique<XPTrayImages>(LoadingIcon_);
    normalImages_ = std::make_unique<XPTrayImages>(NormalIcons_);
    timers_ = std::make_unique<SimpleTimerWindow>();
    notify_ = std::make_unique<TrayNotifyWindow>();
    trayOwner_ = std::make_unique<Win32TrayOwner>(window_);

    menu_ = std::make_unique<Win32TrayMenu>(notify_->Handle());
    const PixelSurface keys = NormalIcons_.Image(kMenuIconReconnect);
    const PixelSurface cube = NormalIcons_.Image(kMenuIconAbout);
    const PixelSurface power = NormalIcons_.Image(kMenuIconExit);
    menu_->AddItem(
        L"Переподключиться", [this] { N1Click(); }, &keys);
    menu_->AddItem(
        L"О программе", [this] { N3Click(); }, &cube);
    menu_->AddSeparator();
    menu_->AddItem(
        L"Выход", [this] { N5Click(); }, &power);

    trayIcon_ =
        std::make_unique<TCoolTrayIcon>(notify_->Handler(), timers_->Handler(), trayOwner_.get());
    TCoolTrayIcon& icon = *trayIcon_;
    icon.SetIconList(loadingImages_.get());
    icon.SetCycleIcons(true);
    icon.SetCycleInterval(kTrayCycleInterval);
    if (UniqueIcon picture = CreateIconFromImage(LoadingIcon_, kTrayStartFrame)) {
        const Win32TrayIconImage image(picture.Detach());
        icon.SetIcon(&image);
    }
    icon.SetIconVisible(true);
    icon.SetIconIndex(kTrayStartFrame);
    icon.SetPopupMenu(menu_.get());
    icon.SetLeftPopup(true);
    icon.SetWantEnterExitEvents(true);
    icon.SetMinimizeToTray(true);
    icon.OnMouseEnter = [this](TCoolTrayIcon&) { CoolTrayIcon1MouseEnter(); };
    icon.OnMouseExit = [this](TCoolTrayIcon&) { CoolTrayIcon1MouseExit(); };
    traySubclass_ = std::make_unique<TrayOwnerSubclass>(window_, icon);
}

void TKVRMonitorForm::ApplyTaskBarSettings() {
    // The window's taskbar settings as stored: the seven default thumbnail buttons, no taskbar
    // item, no thumbnail clip. Each setter pushes the settings to the taskbar, so the item that
    // the first push adds is removed again before the window is ever shown.
    taskbarPlatform_ = std::make_unique<Win32TaskbarPlatform>(window_);
    TaskBar1_ = std::make_unique<TTaskBar>(*taskbarPlatform_);
    for (int i = 0; i < 7; ++i) TaskBar1_->Button(i).SetIconId(TaskBar1_->Button(i).IconId());
    TaskBar1_->SetTaskBarButton(false);
    TaskBar1_->SetThumbnailClipEnabled(false);
    // From now on the bar sees the messages taken from the thread's queue: a queued WM_ACTIVATE
    // pushes the settings again, the WM_ACTIVATE of an ordinary activation (sent) does not.
    taskBarHook_ = std::make_unique<TaskBarMessageHook>(*TaskBar1_);
}

void TKVRMonitorForm::FormCreate() {
    SetWindowTextW(window_, kMonitorWindowTitle);
    SetStatus(esConecting);
    const ScreenPoint parked = ParkingPosition(OuterSize());
    SetWindowPos(window_, HWND_TOPMOST, parked.x, parked.y, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    config_.ReadServerConfig();
    const MonitorView before = view_;
    view_.DisplayUserName.text = HeaderUserName(identity_);
    ApplyView(before);
    Reconect();
    // The notification comes on a thread of the system's; the wake-up is handed to the worker on
    // this window's thread, where the worker object is made and replaced.
    addressChanges_ = std::make_unique<AddressChangeNotification>(
        [window = window_] { PostMessageW(window, kAddressChangedMessage, 0, 0); });
}

void TKVRMonitorForm::Reconect() {
    config_.ResetLastConfigRead();
    AuthWorkerServices services;
    authOwner_ = std::make_shared<WindowAuthOwner>(window_);
    services.owner = authOwner_;
    services.time = start_.workerTime ? start_.workerTime() : std::make_shared<SystemWorkerTime>();
    services.log =
        std::make_shared<FileConnectionLog>([arguments = start_.arguments] { return arguments; },
                                            FromWide(start_.executable.parent_path().wstring()));
    services.open_channel = [] { return std::make_unique<ServerExchange>(); };
    services.module_handle = reinterpret_cast<std::uintptr_t>(start_.instance);
    FAuthThread = std::make_unique<TAuthThread>(std::move(services));
}

void TKVRMonitorForm::FormDestroy() {
    addressChanges_.reset();  // no more notifications posted to this handle
    if (FAuthThread) FAuthThread->Terminate();
    // The worker may still be in an exchange or a pause; its later reports must reach no window,
    // not one that happens to get this window's handle next.
    if (authOwner_) authOwner_->Detach();
}

void TKVRMonitorForm::SetStatus(TConectionStatus value) {
    const MonitorView before = view_;
    if (vq::SetStatus(view_, value, {config_.ServerName(), FErrorMessage})) ApplyView(before);
}

// --- Copying the view onto the controls ---------------------------------------------------------

void TKVRMonitorForm::ApplyView(const MonitorView& before) {
    DisplayUserName_->Apply(view_.DisplayUserName);
    Tarif_->Apply(view_.Tarif);
    FullTitle_->Apply(view_.FullTitle);
    FullTraf_->Apply(view_.FullTraf);
    Dayli_->Apply(view_.Dayli);
    StaticText4_->Apply(view_.StaticText4);
    StaticText3_->Apply(view_.StaticText3);
    Ostatok_->Apply(view_.Ostatok);
    if (TrafProgress_->Handle()) {
        TQProgressBar& bar = TrafProgress_->Bar();
        if (bar.Visible() != view_.TrafProgress.visible) bar.SetVisible(view_.TrafProgress.visible);
        if (bar.position() != view_.TrafProgress.position)
            bar.SetPosition(view_.TrafProgress.position);
    }
    // The labels and pictures are painted on the window itself.
    if (view_.ErrorLabel != before.ErrorLabel || view_.Label1 != before.Label1 ||
        view_.frontPicture != before.frontPicture || view_.Image1Visible != before.Image1Visible)
        InvalidateRect(window_, nullptr, FALSE);
    if (view_.tray != before.tray) ApplyTray();
}

void TKVRMonitorForm::ApplyTray() {
    // Cycling first, then the list (which restarts at image 0), then a still icon's index.
    TCoolTrayIcon& icon = *trayIcon_;
    icon.SetCycleIcons(view_.tray.cycleIcons);
    icon.SetIconList(view_.tray.list == TrayIconList::LoadingIcon ? loadingImages_.get()
                                                                  : normalImages_.get());
    if (!view_.tray.cycleIcons) icon.SetIconIndex(view_.tray.iconIndex);
}

void TKVRMonitorForm::OnPaint() {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window_, &ps);
    if (!dc) return;
    try {
        DibSection canvas(kMonitorClientWidth, kMonitorClientHeight);
        const HDC mem = canvas.Dc();
        RECT all{0, 0, kMonitorClientWidth, kMonitorClientHeight};
        FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(mem, TRANSPARENT);

        // The error panel: the whole width, words wrapped, cut at its bottom edge. DT_EDITCONTROL
        // breaks a word wider than the panel (a long address) as an edit control does, but it
        // also leaves out a last line that would fit only in part; so the text is laid out at its
        // full height (DT_CALCRECT) and clipped to the panel, and such a line shows its top part.
        if (view_.ErrorLabel.visible) {
            ObjectSelection font(mem, windowFont_.Get());
            SetTextColor(mem, ToColorRef(view_.ErrorLabel.color));
            const std::wstring text = ToWide(view_.ErrorLabel.text);
            const UINT format = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
            RECT r{kErrorLabel.left, kErrorLabel.top, kErrorLabel.Right(), kErrorLabel.Bottom()};
            DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
            r.right = kErrorLabel.Right();
            r.bottom = std::max(r.bottom, static_cast<LONG>(kErrorLabel.Bottom()));
            const int saved = SaveDC(mem);
            IntersectClipRect(mem, kErrorLabel.left, kErrorLabel.top, kErrorLabel.Right(),
                              kErrorLabel.Bottom());
            DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &r, format);
            RestoreDC(mem, saved);
        }
        // The state line sizes to its text and is opaque (white behind it).
        if (view_.Label1.visible) {
            ObjectSelection font(mem, italicFont_.Get());
            const std::wstring text = ToWide(view_.Label1.text);
            RECT r{kLabel1.left, kLabel1.top, kLabel1.left, kLabel1.top};
            DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &r,
                      DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            FillRect(mem, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            SetTextColor(mem, ToColorRef(view_.Label1.color));
            DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &r,
                      DT_SINGLELINE | DT_NOPREFIX);
        }
        // The pictures lie above the labels, each cut at its control.
        PixelSurface surface = canvas.ToSurface();
        PaintMonitorPictures(surface, view_, Pictures());
        canvas.CopyFrom(surface);
        BitBlt(dc, 0, 0, kMonitorClientWidth, kMonitorClientHeight, mem, 0, 0, SRCCOPY);
    } catch (...) {
        // No DIB for the canvas: the window keeps what it showed.
    }
    EndPaint(window_, &ps);
}

MonitorPictures TKVRMonitorForm::Pictures() const {
    const auto get = [](const std::optional<PixelSurface>& picture) {
        return picture ? &*picture : nullptr;
    };
    return {get(PicConecting_), get(PicPause_), get(PicConected_), get(PicStop_), get(Image1_)};
}

std::optional<LRESULT> TKVRMonitorForm::ColorStatic(HDC dc, HWND control) {
    for (const auto& text : statics_) {
        if (text->window != control) continue;
        SetTextColor(dc, ToColorRef(text->color));
        SetBkColor(dc, kWhite);
        SetBkMode(dc, OPAQUE);
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    return std::nullopt;
}

// --- Hover --------------------------------------------------------------------------------------

std::optional<ScreenPoint> TKVRMonitorForm::CursorPos() {
    POINT p;
    if (!GetCursorPos(&p)) return std::nullopt;
    return ScreenPoint{p.x, p.y};
}

WindowSize TKVRMonitorForm::OuterSize() {
    RECT r;
    if (!GetWindowRect(window_, &r)) return {kMonitorClientWidth, kMonitorClientHeight};
    return {r.right - r.left, r.bottom - r.top};
}

void TKVRMonitorForm::PlaceShown(ScreenPoint p) {
    SetWindowPos(window_, HWND_TOPMOST, p.x, p.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TKVRMonitorForm::PlaceHidden(ScreenPoint p) {
    SetWindowPos(window_, HWND_TOPMOST, p.x, p.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

void TKVRMonitorForm::ShowNormal() {
    // The mark first, as a framework's form sets its visible flag before it shows the window: the
    // shadow, placed while the window is shown, then finds it set.
    visibleMark_ = true;
    ShowWindow(window_, SW_SHOWNORMAL);
}

void TKVRMonitorForm::Repaint() {
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TKVRMonitorForm::UpdateShadowPosition() {
    if (BoldWindowShadow1_) BoldWindowShadow1_->ForceUpdatePosition();
}

void TKVRMonitorForm::CoolTrayIcon1MouseEnter() { ShowBesidePointer(*this); }

void TKVRMonitorForm::CoolTrayIcon1MouseExit() { ParkHidden(*this); }

// --- Menu ---------------------------------------------------------------------------------------

void TKVRMonitorForm::N1Click() {
    if (start_.relaunch) start_.relaunch();
}

void TKVRMonitorForm::N3Click() {
    if (OnShowAbout) OnShowAbout();
}

void TKVRMonitorForm::N5Click() { SendMessageW(window_, WM_CLOSE, 0, 0); }

// The session ends (or the restart manager closes the program): the icon leaves the notification
// area, and the window goes, which ends the message loop and the process; the worker is not
// waited for. The process may be ended any time after WM_ENDSESSION returns.
void TKVRMonitorForm::PowerBroadcast(WPARAM event) {
    // Windows sends the automatic resume always and the other one when the user is back as well;
    // the worker makes one early pass of the two.
    if ((event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) && FAuthThread)
        FAuthThread->WakeUp();
}

void TKVRMonitorForm::EndSession() {
    if (trayIcon_) trayIcon_->SetIconVisible(false);
    DestroyWindow(window_);
}

// --- Window procedure ---------------------------------------------------------------------------

LRESULT TKVRMonitorForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;  // WM_PAINT covers the whole client area
    case WM_PAINT: OnPaint(); return 0;
    case WM_CTLCOLORSTATIC:
        if (auto brush = ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return *brush;
        break;
    case WM_QUERYENDSESSION:
        // Logoff, shutdown or an installer: nothing to save, the session may end at once.
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) EndSession();
        return 0;
    case WM_POWERBROADCAST: PowerBroadcast(wParam); return TRUE;
    case kAddressChangedMessage:
        if (FAuthThread) FAuthThread->WakeUp();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        // The main window closing ends the program.
        if (quitOnDestroy_) PostQuitMessage(0);
        return 0;
    default: break;
    }
    // The worker's reports get the ordinary processing first, then their own handling.
    const LRESULT result = DefWindowProcW(window_, msg, wParam, lParam);
    if (msg >= WM_AUTH_ERROR && msg <= WM_AUTH_FAILED) HandleWorkerMessage(msg, wParam, lParam);
    return result;
}

void TKVRMonitorForm::HandleWorkerMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        const MonitorView before = view_;
        WorkerReportTarget target{
            view_, FErrorMessage, config_, decimalSeparator_,
            [this](TValueList& values) { HandleAuthNeedData(identity_, values); }};
        HandleWorkerReport(target, msg, static_cast<std::uintptr_t>(wParam),
                           reinterpret_cast<void*>(lParam));
        ApplyView(before);
    } catch (...) {
        // Nothing raises out of a window procedure; a failed display update leaves the window as
        // it was, and the worker goes on.
    }
}

}  // namespace vq
