#pragma once
// The Win32 side of TCoolTrayIcon: the hidden notification window shared by all tray icons
// (Shell_NotifyIconW, the registered "TaskbarCreated" message), an owned icon picture, a pop-up
// menu, an owner window and its subclass.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "widgets/cool_tray_icon.h"
#include "widgets/dib_section_win32.h"
#include "widgets/gdi_handles_win32.h"
#include "widgets/pixel_surface.h"

namespace vq {

using UniqueTrayWindow = UniqueHandle<HWND, &DestroyWindow>;
using UniqueMenu = UniqueHandle<HMENU, &DestroyMenu>;

// The notification window: the shell sends WM_TRAY_CALLBACK for every icon here, and, being a
// top-level window, it also receives the "TaskbarCreated" broadcast.
class TrayNotifyWindow final : public TrayShell {
public:
    TrayNotifyWindow();
    ~TrayNotifyWindow() override;
    TrayNotifyWindow(const TrayNotifyWindow&) = delete;
    TrayNotifyWindow& operator=(const TrayNotifyWindow&) = delete;

    TTrayIconHandler& Handler() { return *handler_; }
    HWND Handle() const { return window_.Get(); }
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }
    // Diagnostics: how many Shell_NotifyIconW calls the shell refused.
    int RefusedCalls() const { return refused_; }

    bool NotifyIcon(std::uint32_t message, const TNotifyIconDataEx& data) override;
    std::optional<TrayPoint> CursorPos() override;
    TShiftState KeyShiftState() override;
    std::uint32_t DoubleClickTime() override;
    void SetForegroundWindow(std::uintptr_t window) override;
    void ProcessMessages() override;
    void PostNullMessage(std::uintptr_t window) override;

private:
    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT taskbarCreated_ = 0;
    UniqueTrayWindow window_;
    std::unique_ptr<TTrayIconHandler> handler_;
    int refused_ = 0;
};

// An owned HICON.
class Win32TrayIconImage final : public TrayIconImage {
public:
    explicit Win32TrayIconImage(HICON icon) : icon_(icon) {}
    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(icon_.Get()); }
    std::unique_ptr<TrayIconImage> Clone() const override;

private:
    UniqueIcon icon_;
};

// A pop-up menu of text items, each with an optional 16 x 16 picture, and separators;
// TrackPopupMenuEx returns the chosen command, whose handler then runs. The menu window should be
// the notification window, which TCoolTrayIcon brings to the foreground before the menu opens.
class Win32TrayMenu final : public TrayPopupMenu {
public:
    explicit Win32TrayMenu(HWND menuWindow);
    ~Win32TrayMenu() override;
    Win32TrayMenu(const Win32TrayMenu&) = delete;
    Win32TrayMenu& operator=(const Win32TrayMenu&) = delete;
    void AddItem(const std::wstring& text, std::function<void()> onClick, bool isDefault = false);
    // An item with a picture of straight alpha (may be null: no picture). The menu keeps a
    // premultiplied copy and draws it, blended, when the menu window is asked to (the menu window
    // is subclassed for WM_MEASUREITEM and WM_DRAWITEM of the menu's pictures).
    void AddItem(const std::wstring& text, std::function<void()> onClick, const PixelSurface* image,
                 bool isDefault = false);
    void AddSeparator();
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    HMENU Handle() const { return menu_.Get(); }
    // The window that opens the menu and draws its pictures.
    HWND Window() const { return menuWindow_; }

    bool AutoPopup() const override { return autoPopup_; }
    void Popup(const void* invoker, int x, int y) override;
    bool ClickDefaultItem() override;

private:
    struct Item {
        std::function<void()> onClick;
        bool isDefault;
    };
    static constexpr UINT_PTR kMenuSubclassId = 0x7651;
    static LRESULT CALLBACK MenuWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data);
    const DibSection* Picture(UINT command) const;
    void Run(UINT command);

    HWND menuWindow_;
    bool subclassed_ = false;
    std::map<UINT, DibSection> pictures_;  // by command
    UniqueMenu menu_;
    std::vector<Item> items_;
    bool autoPopup_ = true;
};

// A plain window as owner and main window; there is no separate application window.
class Win32TrayOwner final : public TrayOwner {
public:
    explicit Win32TrayOwner(HWND window) : window_(window) {}
    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(window_); }
    bool HasMainForm() const override { return window_ != nullptr; }
    bool MainFormMinimized() const override { return IsIconic(window_) != FALSE; }
    void SetMainFormVisible(bool visible) override {
        ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
    }
    void RestoreMainForm() override { ShowWindow(window_, SW_RESTORE); }
    void RestoreApplication() override {}
    // The window is made hidden and shown only beside the icon: no start-up showing to suppress.
    void SetShowMainFormAtStart(bool) override {}
    // There is no application object whose end could be under way.
    bool Terminating() const override { return false; }
    std::uintptr_t ApplicationWindow() const override { return 0; }
    bool ApplicationWindowVisible() const override { return false; }
    void SetApplicationWindowVisible(bool) override {}

private:
    HWND window_;
};

// Subclasses the owner window for the life of the object (SetWindowSubclass, so other subclasses
// of the same window stay intact) and hands its messages to the tray icon first.
class TrayOwnerSubclass {
public:
    TrayOwnerSubclass(HWND owner, TCoolTrayIcon& icon);
    ~TrayOwnerSubclass();
    TrayOwnerSubclass(const TrayOwnerSubclass&) = delete;
    TrayOwnerSubclass& operator=(const TrayOwnerSubclass&) = delete;
    bool Installed() const { return installed_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
    HWND owner_;
    TCoolTrayIcon& icon_;
    bool installed_ = false;
};

}  // namespace vq
