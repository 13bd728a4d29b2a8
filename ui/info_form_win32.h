#pragma once
// TInfoForm, the about window: a border-less, white 274 x 179 tool window with its own drop
// shadow. It paints its labels, pictures and separator line itself (double-buffered), finds the
// control under the pointer from the layout of about_window.h, opens the web addresses through
// the shell and hides itself on a click on any plain part. It is created hidden and shown from
// the tray menu; its three information rows are read afresh at every showing.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/about_window.h"
#include "widgets/bold_window_shadow_win32.h"
#include "widgets/dib_section_win32.h"
#include "widgets/gdi_handles_win32.h"

namespace vq {

// ShellExecuteW(nullptr, "open", address, "", "", SW_SHOWNORMAL); the result is not examined.
void ShellOpenAddress(const std::wstring& address);

class TInfoForm {
public:
    static constexpr const wchar_t* kClassName = L"TInfoForm";

    using RowsReader = std::function<AboutRows()>;
    using AddressOpener = std::function<void(const std::wstring&)>;

    // Registers the window class unless the module has it already; 0 when that fails.
    static ATOM RegisterWindowClass(HINSTANCE instance);

    // Creates the window hidden. readRows gives the rows at every showing (FormShow);
    // openAddress carries out the clicks on the logo and the links.
    TInfoForm(HINSTANCE instance, RowsReader readRows,
              AddressOpener openAddress = ShellOpenAddress);
    ~TInfoForm();
    TInfoForm(const TInfoForm&) = delete;
    TInfoForm& operator=(const TInfoForm&) = delete;

    // N3Click: shows the window, reading its rows first and centring it on the screen the first
    // time; when it is shown already it is only brought forward.
    void Show();
    // What a click on a plain part does: hides the window, which stays for the next Show.
    void Hide();
    HWND Handle() const { return window_; }
    bool Visible() const;

    // For tests and the owner: the caption a text control shows, a control's rectangle in client
    // coordinates, whether a link is underlined now, and the window drawn as WM_PAINT draws it.
    std::wstring Caption(AboutPart part) const;
    AboutRect PartRect(AboutPart part) const { return layout_.Rect(part); }
    bool Underlined(AboutPart part) const { return hovered_ == part; }
    PixelSurface Render();
    TBoldWindowShadow* Shadow() { return shadow_.get(); }

private:
    using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    void FormShow();
    void CreateFonts();
    HFONT FontOf(AboutPart part) const;
    void MeasureControls();
    void PaintTo(HDC dc);
    void OnPaint();
    void OnMouseMove(int x, int y);
    void SetHovered(std::optional<AboutPart> part);
    void OnClick(AboutPart part);
    bool SetCursorForPointer();
    void OpenAddress(const std::wstring& address);

    HINSTANCE instance_;
    RowsReader readRows_;
    AddressOpener openAddress_;
    AboutRows rows_;
    AboutLayout layout_;
    bool shownBefore_ = false;
    bool trackingLeave_ = false;
    std::optional<AboutPart> hovered_;  // the link under the pointer, shown underlined
    std::optional<AboutPart> pressed_;  // where the left button went down

    // Fonts by AboutFont, plus the links' underlined variant.
    std::array<UniqueFont, 4> fonts_;
    UniqueFont linkUnderlined_;
    // The two pictures, premultiplied for AlphaBlend; absent when the resource is missing.
    std::optional<DibSection> globe_;
    std::optional<DibSection> logo_;

    PixelSurface shadowFrame_;  // must outlive shadow_
    HWND window_ = nullptr;
    std::unique_ptr<TBoldWindowShadow> shadow_;
};

}  // namespace vq
