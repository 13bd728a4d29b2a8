// The program's own spinner in Wine's notification area: the strip is read from the resources,
// cut by the alpha image list, turned into icons and cycled by the tray icon, frame by frame.

#include <windows.h>

#include <gtest/gtest.h>

#include "resources/resource_names.h"
#include "widgets/cool_tray_icon.h"
#include "widgets/cool_tray_icon_win32.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/simple_timer_win32.h"
#include "widgets/xp_image_list.h"
#include "widgets/xp_tray_images_win32.h"

namespace vq {
namespace {

TEST(TraySpinner, TurnsOnceThroughTheTwelveFramesInTheNotificationArea) {
    if (!FindWindowW(L"Shell_TrayWnd", nullptr))
        GTEST_SKIP() << "no taskbar with a notification area";
    auto strip = LoadPictureResource(GetModuleHandleW(nullptr), VQ_RES_LOADING_ICONS);
    ASSERT_TRUE(strip.has_value());
    ASSERT_EQ(strip->Width(), 192);
    TXPImageList loading(16, 16);
    loading.SetImagesBitmap(*strip);
    ASSERT_EQ(loading.Count(), 12);
    XPTrayImages images(loading);

    SimpleTimerWindow timers;
    TrayNotifyWindow notify;
    TCoolTrayIcon tray(notify.Handler(), timers.Handler());
    tray.SetHint(u"Подключение...");
    tray.SetIconList(&images);
    tray.SetIconIndex(0);
    tray.SetIconVisible(true);
    ASSERT_TRUE(tray.InTray());
    const int refused = notify.RefusedCalls();

    std::vector<int> frames;
    tray.OnCycle = [&](TCoolTrayIcon&, int next) { frames.push_back(next); };
    tray.SetCycleInterval(120);
    tray.SetCycleIcons(true);
    const ULONGLONG end = GetTickCount64() + 10000;  // a bound, not a measurement
    MSG msg;
    while (frames.size() < 12 && GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
    tray.SetCycleIcons(false);
    ASSERT_GE(frames.size(), 12u);
    EXPECT_EQ(std::vector<int>(frames.begin(), frames.begin() + 12),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    EXPECT_EQ(notify.RefusedCalls(), refused);  // every frame reached the tray
    tray.SetIconVisible(false);
}

}  // namespace
}  // namespace vq
