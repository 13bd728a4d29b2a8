#include "widgets/q_progress_bar_win32.h"

#include <string>

#include "formats/wide_text_win32.h"
#include "widgets/dib_section_win32.h"
#include "widgets/window_procedure_win32.h"

namespace vq {
namespace {

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

char16_t LocaleDecimalSeparator() {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0 && buffer[0] != 0)
        return static_cast<char16_t>(buffer[0]);
    return u'.';
}

}  // namespace

ATOM QProgressBarWindow::RegisterWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // GetClassInfoExW answers with the class atom when this module has registered it already.
    if (const BOOL atom = GetClassInfoExW(ModuleInstance(), kClassName, &wc); atom != 0)
        return static_cast<ATOM>(atom);
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &WindowProcedure<QProgressBarWindow, &QProgressBarWindow::WindowProc,
                                      &QProgressBarWindow::window_>;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;  // the whole client area is painted from the buffer
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
}

QProgressBarWindow::QProgressBarWindow(HWND parent, int x, int y, int width, int height,
                                       int control_id)
    : parentColor_(GetSysColor(COLOR_BTNFACE)) {
    bar_.SetDecimalSeparator(LocaleDecimalSeparator());
    if (RegisterWindowClass() == 0) return;
    // WM_NCCREATE stores this object in the window and sets window_.
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                    height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                    ModuleInstance(), this);
    if (window_ != nullptr) bar_.SetBounds(width, height);
}

QProgressBarWindow::~QProgressBarWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void QProgressBarWindow::SetParentColor(COLORREF color) {
    parentColor_ = color;
    Redraw();
}

LRESULT QProgressBarWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the buffer covers the client area, so erasing would only flicker
    case WM_PAINT: OnPaint(); return 0;
    case WM_SIZE:
        // Client sizes are never negative, so the unsigned halves are safe here.
        bar_.SetBounds(LOWORD(lParam), HIWORD(lParam));
        return 0;
    default: return DefWindowProcW(window_, msg, wParam, lParam);
    }
}

void QProgressBarWindow::OnPaint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window_, &ps);
    if (dc == nullptr) return;
    const auto caption = bar_.Paint(surface_, static_cast<QColor>(parentColor_ & 0xFFFFFF));
    if (!surface_.Empty()) {
        try {
            DibSection buffer(surface_);
            if (caption) {
                ObjectSelection font(buffer.Dc(), FontFor(caption->font));
                const int previous_mode = SetBkMode(buffer.Dc(), TRANSPARENT);
                SetTextColor(buffer.Dc(), static_cast<COLORREF>(caption->font.color));
                const std::wstring text = ToWide(caption->text);
                TextOutW(buffer.Dc(), caption->position.x, caption->position.y, text.c_str(),
                         static_cast<int>(text.size()));
                SetBkMode(buffer.Dc(), previous_mode);
            }
            BitBlt(dc, 0, 0, buffer.Width(), buffer.Height(), buffer.Dc(), 0, 0, SRCCOPY);
        } catch (...) {
            // Nothing may leave a window procedure; without a buffer this paint shows nothing.
        }
    }
    EndPaint(window_, &ps);
}

HFONT QProgressBarWindow::FontFor(const QFont& font) {
    if (gdiFont_ && gdiFontKey_ == font) return gdiFont_.Get();
    WindowDc screen(nullptr);
    const int pixels_per_inch = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    const std::wstring name = ToWide(font.name);
    gdiFont_.Reset(CreateFontW(-MulDiv(font.size, pixels_per_inch, 72), 0, 0, 0,
                               font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name.c_str()));
    gdiFontKey_ = font;
    return gdiFont_ ? gdiFont_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void QProgressBarWindow::Redraw() {
    if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

void QProgressBarWindow::SizeChanged(int width, int height) {
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    if (client.right == width && client.bottom == height) return;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void QProgressBarWindow::VisibleChanged(bool visible) {
    if (window_ != nullptr) ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

void QProgressBarWindow::HintChanged(const std::u16string&) {
    // The hint stays with the bar (Bar().Hint()); the program shows no tooltips for the bar.
}

void QProgressBarWindow::Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

QTextSize QProgressBarWindow::MeasureText(std::u16string_view text, const QFont& font) {
    WindowDc dc(window_);
    if (dc.Get() == nullptr) return {};
    ObjectSelection selection(dc.Get(), FontFor(font));
    const std::wstring wide = ToWide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size))
        return {};
    return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

}  // namespace vq
