#include "ui/info_form_win32.h"

#include <shellapi.h>
#include <windowsx.h>

#include <utility>

#include "formats/wide_text_win32.h"
#include "resources/resource_names.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/premultiplied_alpha.h"
#include "widgets/shadow_frame_resource_win32.h"
#include "widgets/window_procedure_win32.h"

namespace vq {

namespace {

constexpr wchar_t kWindowTitle[] = L"О программе";

COLORREF ColorRef(std::uint32_t color) { return static_cast<COLORREF>(color & 0xFFFFFF); }

// A picture of the program's resources, premultiplied as AlphaBlend with AC_SRC_ALPHA wants it.
std::optional<DibSection> LoadAlphaPicture(HINSTANCE instance, const wchar_t* name) {
    try {
        if (auto picture = LoadPictureResource(instance, name))
            return DibSection(Premultiplied(*picture));
    } catch (...) {
        // GDI refused the DIB: the window goes without the picture.
    }
    return std::nullopt;
}

}  // namespace

void ShellOpenAddress(const std::wstring& address) {
    ShellExecuteW(nullptr, L"open", address.c_str(), L"", L"", SW_SHOWNORMAL);
}

ATOM TInfoForm::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // GetClassInfoExW answers with the class atom when the module has registered it already.
    if (const BOOL atom = GetClassInfoExW(instance, kClassName, &wc); atom != 0)
        return static_cast<ATOM>(atom);
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProcedure<TInfoForm, &TInfoForm::WindowProc, &TInfoForm::window_>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;  // the whole client area is painted from the buffer
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
}

TInfoForm::TInfoForm(HINSTANCE instance, RowsReader readRows, AddressOpener openAddress)
    : instance_(instance), readRows_(std::move(readRows)), openAddress_(std::move(openAddress)) {
    CreateFonts();
    globe_ = LoadAlphaPicture(instance_, VQ_RES_GLOBE);
    logo_ = LoadAlphaPicture(instance_, VQ_RES_LOGO);
    shadowFrame_ = LoadShadowFrame(instance_);
    MeasureControls();
    if (RegisterWindowClass(instance_) == 0) return;
    // No border, no caption; a tool window gets no taskbar button. WM_NCCREATE sets window_.
    CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, kWindowTitle, WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                    kAboutWidth, kAboutHeight, nullptr, nullptr, instance_, this);
    if (window_ != nullptr) shadow_ = std::make_unique<TBoldWindowShadow>(window_, shadowFrame_);
}

TInfoForm::~TInfoForm() {
    shadow_.reset();  // unhooks itself from the window before it goes
    if (window_ != nullptr) DestroyWindow(window_);
}

bool TInfoForm::Visible() const { return window_ != nullptr && IsWindowVisible(window_) != FALSE; }

void TInfoForm::Show() {
    if (window_ == nullptr) return;
    if (Visible()) {
        // Already open: only bring it forward, the rows stay as read.
        SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window_);
        return;
    }
    FormShow();
    if (!shownBefore_) {
        // Centred at the first showing only; afterwards the window stays where it was.
        RECT r{};
        GetWindowRect(window_, &r);
        const AboutPoint at =
            CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                            r.right - r.left, r.bottom - r.top);
        SetWindowPos(window_, nullptr, at.x, at.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        shownBefore_ = true;
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
}

void TInfoForm::Hide() {
    pressed_.reset();
    SetHovered(std::nullopt);
    if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

void TInfoForm::FormShow() {
    try {
        rows_ = readRows_ ? readRows_() : AboutRows{};
    } catch (...) {
        rows_ = AboutRows{};  // the rows show empty text when they cannot be read
    }
    MeasureControls();
    if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

std::wstring TInfoForm::Caption(AboutPart part) const {
    switch (part) {
    case AboutPart::Label4: return ToWide(rows_.serverName);
    case AboutPart::Label5: return ToWide(rows_.displayName);
    case AboutPart::Label7: return ToWide(rows_.domain);
    default: return ToWide(AboutFixedCaption(part));
    }
}

void TInfoForm::CreateFonts() {
    const WindowDc screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    const auto make = [dpi](int points, int weight, bool italic, bool underline, BYTE charset,
                            const wchar_t* face) {
        return UniqueFont(CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, italic, underline,
                                      FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
    };
    fonts_[static_cast<std::size_t>(AboutFont::Window)] =
        make(8, FW_NORMAL, false, false, RUSSIAN_CHARSET, L"Tahoma");
    fonts_[static_cast<std::size_t>(AboutFont::Bold)] =
        make(8, FW_BOLD, false, false, RUSSIAN_CHARSET, L"Tahoma");
    fonts_[static_cast<std::size_t>(AboutFont::Link)] =
        make(8, FW_NORMAL, false, false, DEFAULT_CHARSET, L"Arial");
    fonts_[static_cast<std::size_t>(AboutFont::Title)] =
        make(40, FW_NORMAL, true, false, DEFAULT_CHARSET, L"Times New Roman");
    linkUnderlined_ = make(8, FW_NORMAL, false, true, DEFAULT_CHARSET, L"Arial");
}

HFONT TInfoForm::FontOf(AboutPart part) const {
    if (hovered_ == part && linkUnderlined_) return linkUnderlined_.Get();
    const auto& font = fonts_[static_cast<std::size_t>(AboutControlOf(part).font)];
    return font ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TInfoForm::MeasureControls() {
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    for (const AboutControl& control : AboutControls()) {
        if (!control.autoSize) continue;
        if (control.paint == AboutPaint::Picture) {
            const auto& picture = control.part == AboutPart::Image2 ? logo_ : globe_;
            if (picture) layout_.SetContentSize(control.part, picture->Width(), picture->Height());
            continue;
        }
        ObjectSelection font(dc.Get(), FontOf(control.part));
        std::wstring text = Caption(control.part);
        if (text.empty()) text = L" ";  // an empty label keeps the height of a line
        SIZE size{};
        if (GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size))
            layout_.SetContentSize(control.part, size.cx, size.cy);
    }
}

void TInfoForm::PaintTo(HDC dc) {
    const RECT all{0, 0, kAboutWidth, kAboutHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    // In creation order, so that a later control lies over an earlier one.
    for (const AboutControl& control : AboutControls()) {
        const AboutRect r = layout_.Rect(control.part);
        switch (control.paint) {
        case AboutPaint::Picture: {
            const auto& picture = control.part == AboutPart::Image2 ? logo_ : globe_;
            if (!picture) break;
            // Natural size at the control's top-left corner, blended with the picture's alpha.
            // GdiAlphaBlend: the same blend from gdi32, a known DLL; AlphaBlend would need msimg32,
            // which the loader would look for in the program's folder first.
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            GdiAlphaBlend(dc, r.left, r.top, picture->Width(), picture->Height(), picture->Dc(), 0,
                          0, picture->Width(), picture->Height(), blend);
            break;
        }
        case AboutPaint::Line: {
            const RECT line{r.left, r.top, r.right, r.bottom};
            SetDCBrushColor(dc, ColorRef(control.color));
            FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            break;
        }
        case AboutPaint::Text: {
            const std::wstring text = Caption(control.part);
            ObjectSelection font(dc, FontOf(control.part));
            SetTextColor(dc, ColorRef(control.color));
            TextOutW(dc, r.left, r.top, text.c_str(), static_cast<int>(text.size()));
            break;
        }
        }
    }
    SetBkMode(dc, previousMode);
}

PixelSurface TInfoForm::Render() {
    DibSection buffer(kAboutWidth, kAboutHeight);
    PaintTo(buffer.Dc());
    PixelSurface picture = buffer.ToSurface();
    // GDI's text and fills leave the alpha bytes of a 32-bit DIB at zero; the window is opaque.
    for (int y = 0; y < picture.Height(); ++y)
        for (Bgra& pixel : picture.Row(y)) pixel.a = 0xFF;
    return picture;
}

void TInfoForm::OnPaint() {
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(window_, &ps);
    if (dc == nullptr) return;
    try {
        // Drawn off-screen and copied in one piece, so the labels do not flicker.
        DibSection buffer(kAboutWidth, kAboutHeight);
        PaintTo(buffer.Dc());
        BitBlt(dc, 0, 0, kAboutWidth, kAboutHeight, buffer.Dc(), 0, 0, SRCCOPY);
    } catch (...) {
        // No buffer: this paint shows nothing.
    }
    EndPaint(window_, &ps);
}

void TInfoForm::OnMouseMove(int x, int y) {
    if (!trackingLeave_) {
        // Ask for WM_MOUSELEAVE, so a link loses its underline when the pointer leaves the window.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    const std::optional<AboutPart> part = layout_.PartAt(x, y);
    SetHovered(part && UnderlinesOnHover(*part) ? part : std::nullopt);
}

void TInfoForm::SetHovered(std::optional<AboutPart> part) {
    if (hovered_ == part) return;
    const std::optional<AboutPart> previous = std::exchange(hovered_, part);
    MeasureControls();
    // Repaint only the labels whose look changed.
    for (const auto& changed : {previous, part}) {
        if (!changed || window_ == nullptr) continue;
        const AboutRect r = layout_.Rect(*changed);
        const RECT area{r.left, r.top, r.right, r.bottom};
        InvalidateRect(window_, &area, FALSE);
    }
}

void TInfoForm::OnClick(AboutPart part) {
    switch (ClickAction(part)) {
    case AboutClick::Close: Hide(); break;
    case AboutClick::OpenMakerSite: OpenAddress(ToWide(kMakerSiteAddress)); break;
    case AboutClick::OpenOwnCaption: OpenAddress(Caption(part)); break;
    case AboutClick::Nothing: break;
    }
}

void TInfoForm::OpenAddress(const std::wstring& address) {
    if (openAddress_) openAddress_(address);
}

bool TInfoForm::SetCursorForPointer() {
    POINT p{};
    if (!GetCursorPos(&p) || !ScreenToClient(window_, &p)) return false;
    const std::optional<AboutPart> part = layout_.PartAt(p.x, p.y);
    const bool hand = part && ShowsHandCursor(*part);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(hand ? IDC_HAND : IDC_ARROW)));
    return true;
}

// Nothing may leave a window procedure (an address opener that raised, say).
LRESULT TInfoForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) try {
    switch (msg) {
    case WM_ERASEBKGND: return 1;  // the buffer covers the client area
    case WM_PAINT: OnPaint(); return 0;
    case WM_MOUSEMOVE: OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetHovered(std::nullopt);
        return 0;
    case WM_LBUTTONDOWN:
        // A click is a press and a release on the same control, as the form's controls count it.
        pressed_ = layout_.PartAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        SetCapture(window_);
        return 0;
    case WM_LBUTTONUP: {
        const std::optional<AboutPart> pressed = std::exchange(pressed_, std::nullopt);
        if (GetCapture() == window_) ReleaseCapture();
        const std::optional<AboutPart> released =
            layout_.PartAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (pressed && released == pressed) OnClick(*pressed);
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && SetCursorForPointer()) return TRUE;
        break;
    case WM_CLOSE: Hide(); return 0;  // closing hides; the window stays for the next showing
    default: break;
    }
    return DefWindowProcW(window_, msg, wParam, lParam);
} catch (...) {
    return 0;
}

}  // namespace vq
