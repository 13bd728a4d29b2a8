#include "widgets/cool_tray_icon_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "widgets/premultiplied_alpha.h"
#include "widgets/window_procedure_win32.h"

namespace vq {

namespace {

constexpr wchar_t kClassName[] = L"VqTrayNotifyWindow";
constexpr UINT_PTR kOwnerSubclassId = 0x7A11;

// The portable record mirrors NOTIFYICONDATAW up to its version-2 end field for field.
static_assert(sizeof(TNotifyIconDataEx) == NOTIFYICONDATAW_V2_SIZE);
static_assert(offsetof(TNotifyIconDataEx, hIcon) == offsetof(NOTIFYICONDATAW, hIcon));
static_assert(offsetof(TNotifyIconDataEx, szTip) == offsetof(NOTIFYICONDATAW, szTip));
static_assert(offsetof(TNotifyIconDataEx, szInfoTitle) == offsetof(NOTIFYICONDATAW, szInfoTitle));
static_assert(offsetof(TNotifyIconDataEx, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags));

template <std::size_t N>
void CopyText(const std::array<char16_t, N>& from, WCHAR (&to)[N]) {
    std::copy(from.begin(), from.end(), to);
}

}  // namespace

// --- TrayNotifyWindow ---------------------------------------------------------------------------

TrayNotifyWindow::TrayNotifyWindow() {
    // The shell broadcasts this to every top-level window when its taskbar is (re-)created.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProcedure<TrayNotifyWindow, &TrayNotifyWindow::HandleMessage>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // already registered by an earlier window: fine
    window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), this));
    handler_ =
        std::make_unique<TTrayIconHandler>(*this, reinterpret_cast<std::uintptr_t>(window_.Get()));
}

TrayNotifyWindow::~TrayNotifyWindow() {
    // Messages during destruction go to the default procedure.
    if (window_) DetachWindowObject(window_.Get());
}

bool TrayNotifyWindow::NotifyIcon(std::uint32_t message, const TNotifyIconDataEx& data) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
    nid.hWnd = reinterpret_cast<HWND>(data.hWnd);
    nid.uID = data.uID;
    nid.uFlags = data.uFlags;
    nid.uCallbackMessage = data.uCallbackMessage;
    nid.hIcon = reinterpret_cast<HICON>(data.hIcon);
    CopyText(data.szTip, nid.szTip);
    nid.dwState = data.dwState;
    nid.dwStateMask = data.dwStateMask;
    CopyText(data.szInfo, nid.szInfo);
    nid.uVersion = data.TimeoutOrVersion;
    CopyText(data.szInfoTitle, nid.szInfoTitle);
    nid.dwInfoFlags = data.dwInfoFlags;
    const bool ok = Shell_NotifyIconW(message, &nid) != FALSE;
    if (!ok) ++refused_;
    return ok;
}

std::optional<TrayPoint> TrayNotifyWindow::CursorPos() {
    POINT p{};
    if (!GetCursorPos(&p)) return std::nullopt;
    return TrayPoint{p.x, p.y};
}

TShiftState TrayNotifyWindow::KeyShiftState() {
    TShiftState state = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) state |= ssShift;
    if (GetAsyncKeyState(VK_CONTROL) < 0) state |= ssCtrl;
    if (GetAsyncKeyState(VK_MENU) < 0) state |= ssAlt;
    return state;
}

std::uint32_t TrayNotifyWindow::DoubleClickTime() { return GetDoubleClickTime(); }

void TrayNotifyWindow::SetForegroundWindow(std::uintptr_t window) {
    ::SetForegroundWindow(reinterpret_cast<HWND>(window));
}

void TrayNotifyWindow::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TrayNotifyWindow::PostNullMessage(std::uintptr_t window) {
    PostMessageW(reinterpret_cast<HWND>(window), WM_NULL, 0, 0);
}

LRESULT TrayNotifyWindow::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The window's first messages arrive before the handler exists.
    if (!handler_) return DefWindowProcW(window, msg, wParam, lParam);
    if (taskbarCreated_ != 0 && msg == taskbarCreated_) {
        handler_->TaskbarCreated();
        return 0;
    }
    if (const auto result = handler_->HandleIconMessage(msg, static_cast<std::uintptr_t>(wParam),
                                                        static_cast<std::intptr_t>(lParam)))
        return static_cast<LRESULT>(*result);
    return DefWindowProcW(window, msg, wParam, lParam);
}

// --- Icon picture -------------------------------------------------------------------------------

std::unique_ptr<TrayIconImage> Win32TrayIconImage::Clone() const {
    return std::make_unique<Win32TrayIconImage>(icon_ ? CopyIcon(icon_.Get()) : nullptr);
}

// --- Menu ---------------------------------------------------------------------------------------

Win32TrayMenu::Win32TrayMenu(HWND menuWindow) : menuWindow_(menuWindow), menu_(CreatePopupMenu()) {}

void Win32TrayMenu::AddItem(const std::wstring& text, std::function<void()> onClick,
                            bool isDefault) {
    AddItem(text, std::move(onClick), nullptr, isDefault);
}

void Win32TrayMenu::AddItem(const std::wstring& text, std::function<void()> onClick,
                            const PixelSurface* image, bool isDefault) {
    const UINT command = static_cast<UINT>(items_.size() + 1);  // 0 means "nothing chosen"
    AppendMenuW(menu_.Get(), MF_STRING, command, text.c_str());
    if (image != nullptr && !image->Empty()) {
        // The menu asks its window to measure and draw the picture (HBMMENU_CALLBACK), which is
        // then blended with its alpha onto the menu's own background. A 32-bit hbmpItem would
        // be copied without its alpha by menus that do not blend (classic ones, Wine's).
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
        if (SetMenuItemInfoW(menu_.Get(), command, FALSE, &info)) {
            pictures_.emplace(command, DibSection(Premultiplied(*image)));
            if (!subclassed_ && menuWindow_)
                subclassed_ = SetWindowSubclass(menuWindow_, &MenuWindowProc, kMenuSubclassId,
                                                reinterpret_cast<DWORD_PTR>(this)) != FALSE;
        }
    }
    if (isDefault) SetMenuDefaultItem(menu_.Get(), command, FALSE);
    items_.push_back({std::move(onClick), isDefault});
}

Win32TrayMenu::~Win32TrayMenu() {
    if (subclassed_) RemoveWindowSubclass(menuWindow_, &MenuWindowProc, kMenuSubclassId);
}

const DibSection* Win32TrayMenu::Picture(UINT command) const {
    const auto found = pictures_.find(command);
    return found == pictures_.end() ? nullptr : &found->second;
}

LRESULT CALLBACK Win32TrayMenu::MenuWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR data) {
    const auto* self = reinterpret_cast<const Win32TrayMenu*>(data);
    if (msg == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_MENU) {
            if (const DibSection* picture = self->Picture(item->itemID)) {
                item->itemWidth = static_cast<UINT>(picture->Width());
                item->itemHeight = static_cast<UINT>(picture->Height());
                return TRUE;
            }
        }
    } else if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_MENU) {
            if (const DibSection* picture = self->Picture(item->itemID)) {
                const RECT& r = item->rcItem;
                const int x = r.left + (r.right - r.left - picture->Width()) / 2;
                const int y = r.top + (r.bottom - r.top - picture->Height()) / 2;
                const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                GdiAlphaBlend(item->hDC, x, y, picture->Width(), picture->Height(), picture->Dc(),
                              0, 0, picture->Width(), picture->Height(), blend);
                return TRUE;
            }
        }
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

void Win32TrayMenu::AddSeparator() { AppendMenuW(menu_.Get(), MF_SEPARATOR, 0, nullptr); }

void Win32TrayMenu::Popup(const void*, int x, int y) {
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(
        menu_.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, menuWindow_, nullptr));
    Run(command);
}

bool Win32TrayMenu::ClickDefaultItem() {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].isDefault) {
            Run(static_cast<UINT>(i + 1));
            return true;
        }
    return false;
}

void Win32TrayMenu::Run(UINT command) {
    if (command == 0 || command > items_.size()) return;
    if (const auto& onClick = items_[command - 1].onClick) onClick();
}

// --- Owner subclass -----------------------------------------------------------------------------

TrayOwnerSubclass::TrayOwnerSubclass(HWND owner, TCoolTrayIcon& icon) : owner_(owner), icon_(icon) {
    installed_ = owner_ && SetWindowSubclass(owner_, &Procedure, kOwnerSubclassId,
                                             reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

TrayOwnerSubclass::~TrayOwnerSubclass() {
    if (installed_) RemoveWindowSubclass(owner_, &Procedure, kOwnerSubclassId);
}

LRESULT CALLBACK TrayOwnerSubclass::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TrayOwnerSubclass*>(data);
    if (const auto result = self->icon_.HandleOwnerMessage(msg, static_cast<std::uintptr_t>(wParam),
                                                           static_cast<std::intptr_t>(lParam)))
        return static_cast<LRESULT>(*result);
    return DefSubclassProc(window, msg, wParam, lParam);
}

}  // namespace vq
