#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "widgets/cool_tray_icon.h"
#include "widgets/cool_tray_icon_win32.h"
#include "widgets/simple_timer_win32.h"

namespace vq {
namespace {

// A 16x16 icon of one colour, made with CreateIconIndirect.
HICON MakeIcon(COLORREF colour) {
    std::vector<DWORD> pixels(16 * 16, 0xFF000000u | (GetRValue(colour) << 16) |
                                           (GetGValue(colour) << 8) | GetBValue(colour));
    UniqueBitmap colourBits(CreateBitmap(16, 16, 1, 32, pixels.data()));
    UniqueBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colourBits.Get();
    info.hbmMask = mask.Get();
    return CreateIconIndirect(&info);
}

class IconStrip : public TrayImageList {
public:
    explicit IconStrip(std::initializer_list<COLORREF> colours) {
        for (COLORREF c : colours)
            icons_.push_back(std::make_unique<Win32TrayIconImage>(MakeIcon(c)));
    }
    int Count() const override { return static_cast<int>(icons_.size()); }
    std::unique_ptr<TrayIconImage> GetIcon(int index) const override {
        return icons_.at(index)->Clone();
    }
    bool AllMade() const {
        for (const auto& icon : icons_)
            if (icon->Handle() == 0) return false;
        return true;
    }

private:
    std::vector<std::unique_ptr<TrayIconImage>> icons_;
};

// Pumps messages until `done` holds or five seconds pass (a bound, not a measurement).
template <typename Done>
bool PumpUntil(Done done) {
    const ULONGLONG end = GetTickCount64() + 5000;
    MSG msg;
    while (!done() && GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return done();
}

TEST(SimpleTimerWindowTest, TimersTickThroughTheSharedWindow) {
    SimpleTimerWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    int fast = 0, once = 0;
    TSimpleTimer a(window.Handler(), 10, [&](TSimpleTimer&) { ++fast; });
    TSimpleTimer b(window.Handler(), 10, [&](TSimpleTimer&) { ++once; });
    b.SetAutoDisable(true);
    a.SetEnabled(true);
    b.SetEnabled(true);
    EXPECT_EQ(window.Handler().ActiveCount(), 2);
    EXPECT_TRUE(PumpUntil([&] { return fast >= 3; }));
    EXPECT_EQ(once, 1);
    EXPECT_FALSE(b.Enabled());
}

class CoolTrayIconWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        // Shell_NotifyIconW needs a taskbar: run under `wine explorer /desktop=...`.
        if (!FindWindowW(L"Shell_TrayWnd", nullptr))
            GTEST_SKIP() << "no taskbar with a notification area";
        ASSERT_NE(notify.Handle(), nullptr);
        ASSERT_NE(notify.TaskbarCreatedMessage(), 0u);
    }

    SimpleTimerWindow timerWindow;
    TrayNotifyWindow notify;
};

TEST_F(CoolTrayIconWin32Test, AddCycleModifyDelete) {
    IconStrip strip({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)});
    ASSERT_TRUE(strip.AllMade());
    TCoolTrayIcon tray(notify.Handler(), timerWindow.Handler());
    tray.SetHint(u"vq tray test");
    tray.SetIconList(&strip);
    tray.SetIconVisible(true);
    ASSERT_TRUE(tray.InTray());
    const int refusedAfterAdd = notify.RefusedCalls();

    for (int i = 0; i < strip.Count(); ++i) {
        SCOPED_TRACE(i);
        tray.SetIconIndex(i);
        EXPECT_NE(tray.Data().hIcon, 0u);
    }
    EXPECT_TRUE(tray.Refresh());

    std::vector<int> cycle;
    tray.OnCycle = [&](TCoolTrayIcon&, int next) { cycle.push_back(next); };
    tray.SetCycleInterval(20);
    tray.SetCycleIcons(true);
    EXPECT_TRUE(PumpUntil([&] { return cycle.size() >= 5; }));
    tray.SetCycleIcons(false);
    EXPECT_EQ(std::vector<int>(cycle.begin(), cycle.begin() + 5),
              (std::vector<int>{1, 2, 3, 0, 1}));
    EXPECT_EQ(notify.RefusedCalls(), refusedAfterAdd);  // every modify was accepted

    tray.SetIconVisible(false);
    EXPECT_EQ(notify.RefusedCalls(), refusedAfterAdd);  // the delete too
    EXPECT_FALSE(tray.Refresh());                       // no longer in the tray
}

TEST_F(CoolTrayIconWin32Test, TaskbarCreatedAddsTheIconAgain) {
    IconStrip strip({RGB(0, 128, 255)});
    TCoolTrayIcon tray(notify.Handler(), timerWindow.Handler());
    tray.SetIconList(&strip);
    tray.SetIconVisible(true);
    ASSERT_TRUE(tray.InTray());

    // The shell loses the icon behind the component's back, as when explorer restarts.
    NOTIFYICONDATAW nid{};
    nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
    nid.hWnd = notify.Handle();
    nid.uID = tray.IconID();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));

    SendMessageW(notify.Handle(), notify.TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(tray.InTray());
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &nid));
}

TEST_F(CoolTrayIconWin32Test, NotificationsReachTheIconThroughTheSharedWindow) {
    TCoolTrayIcon tray(notify.Handler(), timerWindow.Handler());
    std::vector<TMouseButton> downs;
    tray.OnMouseDown = [&](TCoolTrayIcon&, TMouseButton b, TShiftState, int, int) {
        downs.push_back(b);
    };
    SendMessageW(notify.Handle(), WM_TRAY_CALLBACK, tray.IconID(), WM_RBUTTONDOWN);
    SendMessageW(notify.Handle(), WM_TRAY_CALLBACK, tray.IconID(), WM_MBUTTONDOWN);
    EXPECT_EQ(downs, (std::vector<TMouseButton>{TMouseButton::mbRight, TMouseButton::mbMiddle}));

    // The shared window cannot be closed from outside.
    EXPECT_EQ(SendMessageW(notify.Handle(), WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(notify.Handle()));
}

TEST_F(CoolTrayIconWin32Test, OwnerSubclassMinimizesToTray) {
    UniqueTrayWindow owner(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(owner.Get(), nullptr);
    Win32TrayOwner trayOwner(owner.Get());
    IconStrip strip({RGB(10, 200, 10)});
    TCoolTrayIcon tray(notify.Handler(), timerWindow.Handler(), &trayOwner);
    tray.SetIconList(&strip);
    TrayOwnerSubclass subclass(owner.Get(), tray);
    ASSERT_TRUE(subclass.Installed());
    int minimized = 0;
    tray.SetMinimizeToTray(true);
    tray.OnMinimizeToTray = [&](TCoolTrayIcon&) { ++minimized; };
    EXPECT_EQ(SendMessageW(owner.Get(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1);
    EXPECT_EQ(minimized, 1);
    EXPECT_TRUE(tray.InTray());
}

}  // namespace
}  // namespace vq
