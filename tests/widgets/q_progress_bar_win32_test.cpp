#include "widgets/q_progress_bar_win32.h"

#include "ui/traffic_bar_settings.h"
#include "widgets/dib_section_win32.h"

#include <windows.h>

#include <memory>

#include <gtest/gtest.h>

namespace vq {
namespace {

// A hidden top-level window to hold the bars.
class HiddenParent {
public:
    HiddenParent()
        : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr)) {}
    ~HiddenParent() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    HiddenParent(const HiddenParent&) = delete;
    HiddenParent& operator=(const HiddenParent&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_;
};

// The monitor window's usage bar as the program sets it up, at 68.
void ApplyProgramSettings(TQProgressBar& bar) {
    ApplyTrafficBarSettings(bar);
    bar.SetPosition(68);
}

TEST(QProgressBarWindow, ClassIsRegisteredOnce) {
    const ATOM atom = QProgressBarWindow::RegisterWindowClass();
    ASSERT_NE(atom, 0);
    EXPECT_EQ(QProgressBarWindow::RegisterWindowClass(), atom);

    HiddenParent parent;
    ASSERT_NE(parent.Get(), nullptr);
    QProgressBarWindow first(parent.Get(), 1, 92, 215, 10);
    QProgressBarWindow second(parent.Get(), 1, 20, 100, 16);
    ASSERT_NE(first.Handle(), nullptr);
    ASSERT_NE(second.Handle(), nullptr);
    EXPECT_EQ(GetClassLongPtrW(first.Handle(), GCW_ATOM), static_cast<ULONG_PTR>(atom));
    EXPECT_EQ(GetClassLongPtrW(second.Handle(), GCW_ATOM), static_cast<ULONG_PTR>(atom));
    EXPECT_EQ(QProgressBarWindow::RegisterWindowClass(), atom);
}

TEST(QProgressBarWindow, ChildWindowPaintsAndFollowsTheBar) {
    HiddenParent parent;
    ASSERT_NE(parent.Get(), nullptr);
    auto bar_window = std::make_unique<QProgressBarWindow>(parent.Get(), 1, 92, 215, 10, 7);
    const HWND handle = bar_window->Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetParent(handle), parent.Get());
    EXPECT_EQ(GetDlgCtrlID(handle), 7);

    TQProgressBar& bar = bar_window->Bar();
    EXPECT_EQ(bar.Width(), 215);
    EXPECT_EQ(bar.Height(), 10);
    bar_window->SetParentColor(RGB(255, 255, 255));
    ApplyProgramSettings(bar);
    EXPECT_EQ(bar.DrawnPosition(), 143);

    // The caption is measured with GDI in the assigned font.
    bar.SetCaption(u"68%");
    EXPECT_GT(bar.CaptionPos().x, 0);
    EXPECT_LT(bar.CaptionPos().x, 215 / 2);
    bar.SetAutoCaption(true);

    SendMessageW(handle, WM_PAINT, 0, 0);
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    // A size given to the window reaches the bar, and the bar's own size change (orientation)
    // reaches the window.
    SetWindowPos(handle, nullptr, 0, 0, 300, 12, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(bar.UsefullDrawSpace(), 296);
    EXPECT_EQ(bar.DrawnPosition(), 201);  // 296 x 68 % = 201.28
    bar.SetOrientation(boVertical);
    RECT client{};
    GetClientRect(handle, &client);
    EXPECT_EQ(client.right, 12);
    EXPECT_EQ(client.bottom, 300);
    SendMessageW(handle, WM_PAINT, 0, 0);

    bar_window.reset();
    EXPECT_FALSE(IsWindow(handle));
}

TEST(QProgressBarWindow, PaintedPixelsReachTheWindow) {
    HiddenParent parent;
    ASSERT_NE(parent.Get(), nullptr);
    QProgressBarWindow bar_window(parent.Get(), 1, 20, 215, 10);
    ASSERT_NE(bar_window.Handle(), nullptr);
    bar_window.SetParentColor(RGB(255, 255, 255));
    ApplyProgramSettings(bar_window.Bar());
    ShowWindow(parent.Get(), SW_SHOWNOACTIVATE);
    UpdateWindow(bar_window.Handle());

    // Read the window back through its DC.
    DibSection capture(215, 10);
    HDC window_dc = GetDC(bar_window.Handle());
    ASSERT_NE(window_dc, nullptr);
    BitBlt(capture.Dc(), 0, 0, 215, 10, window_dc, 0, 0, SRCCOPY);
    ReleaseDC(bar_window.Handle(), window_dc);
    const PixelSurface pixels = capture.ToSurface();
    const auto rgb = [&](int x, int y) {
        const Bgra p = pixels.At(x, y);
        return RgbColor(p.r, p.g, p.b);
    };
    EXPECT_EQ(rgb(143, 3), RgbColor(83, 214, 42));
    EXPECT_EQ(rgb(3, 6), RgbColor(252, 129, 127));
    EXPECT_EQ(rgb(144, 4), RgbColor(230, 230, 230));
    EXPECT_EQ(rgb(142, 4), RgbColor(255, 255, 255));
    EXPECT_EQ(rgb(100, 8), RgbColor(255, 255, 255));

    // The caption is drawn with GDI over the pixels, in the font's colour (black).
    bar_window.Bar().SetFont(QFont{u"Arial", 8, true, RgbColor(0, 0, 0)});
    bar_window.Bar().SetCaption(u"WWW");
    RedrawWindow(bar_window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    window_dc = GetDC(bar_window.Handle());
    ASSERT_NE(window_dc, nullptr);
    BitBlt(capture.Dc(), 0, 0, 215, 10, window_dc, 0, 0, SRCCOPY);
    ReleaseDC(bar_window.Handle(), window_dc);
    const PixelSurface with_caption = capture.ToSurface();
    int dark = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 215; ++x) {
            const Bgra p = with_caption.At(x, y);
            if (p.r < 64 && p.g < 64 && p.b < 64) ++dark;
        }
    EXPECT_GT(dark, 0);
}

}  // namespace
}  // namespace vq
