#pragma once
// The progress bar's child window: its own window class, double-buffered painting of the
// portable TQProgressBar through a DIB section, and the caption drawn over it with GDI.

#include <windows.h>

#include "widgets/gdi_handles_win32.h"
#include "widgets/q_progress_bar.h"

namespace vq {

class QProgressBarWindow final : private QProgressBarHost {
public:
    static constexpr const wchar_t* kClassName = L"TQProgressBar";

    // Registers the window class unless this module has it already; returns its atom (0 when
    // registration fails).
    static ATOM RegisterWindowClass();

    // Creates the child window at (x, y) of the parent's client area with the given size.
    // Handle() is null when the window could not be created.
    QProgressBarWindow(HWND parent, int x, int y, int width, int height, int control_id = 0);
    ~QProgressBarWindow() override;
    QProgressBarWindow(const QProgressBarWindow&) = delete;
    QProgressBarWindow& operator=(const QProgressBarWindow&) = delete;

    HWND Handle() const { return window_; }
    TQProgressBar& Bar() { return bar_; }
    // The colour the client area is cleared to before painting (the parent's colour).
    void SetParentColor(COLORREF color);

private:
    using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    // The GDI font for a caption font, created on first use and kept until the font changes.
    HFONT FontFor(const QFont& font);

    // QProgressBarHost
    void Redraw() override;
    void SizeChanged(int width, int height) override;
    void VisibleChanged(bool visible) override;
    void HintChanged(const std::u16string& hint) override;
    void Pause(int milliseconds) override;
    QTextSize MeasureText(std::u16string_view text, const QFont& font) override;

    HWND window_ = nullptr;
    TQProgressBar bar_{this};
    PixelSurface surface_;
    COLORREF parentColor_;
    QFont gdiFontKey_;
    UniqueFont gdiFont_;
};

}  // namespace vq
