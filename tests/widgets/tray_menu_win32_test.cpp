#include "widgets/cool_tray_icon_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/program_environment.h"
#include "resources/resource_names.h"
#include "ui/monitor_form_win32.h"
#include "widgets/dib_section_win32.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/premultiplied_alpha.h"
#include "widgets/xp_image_list.h"

namespace vq {
namespace {

// The picture blended onto white, as the menu should show it.
PixelSurface OnWhite(const PixelSurface& picture) {
    PixelSurface out = Premultiplied(picture);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) {
            Bgra& p = out.At(x, y);
            const int rest = 255 - p.a;
            p.b = static_cast<std::uint8_t>(p.b + 255 * rest / 255);
            p.g = static_cast<std::uint8_t>(p.g + 255 * rest / 255);
            p.r = static_cast<std::uint8_t>(p.r + 255 * rest / 255);
        }
    return out;
}

bool SameColours(const PixelSurface& a, const PixelSurface& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const Bgra p = a.At(x, y), q = b.At(x, y);
            if (std::abs(p.b - q.b) > 1 || std::abs(p.g - q.g) > 1 || std::abs(p.r - q.r) > 1)
                return false;
        }
    return true;
}

// The picture the menu window draws for the item with that command, on white.
PixelSurface DrawnPicture(HWND menuWindow, UINT command) {
    DibSection canvas(16, 16);
    RECT all{0, 0, 16, 16};
    FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = command;
    draw.hDC = canvas.Dc();
    draw.rcItem = all;
    SendMessageW(menuWindow, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    GdiFlush();
    return canvas.ToSurface();
}

TEST(TrayMenuWin32Test, PicturesAreMeasuredAndBlendedByTheMenuWindowSeparatorsTakeNoCommand) {
    auto strip = LoadPictureResource(GetModuleHandleW(nullptr), VQ_RES_NORMAL_ICONS);
    ASSERT_TRUE(strip.has_value());
    TXPImageList icons;
    icons.SetImagesBitmap(std::move(*strip));
    ASSERT_EQ(icons.Count(), 7);
    const PixelSurface keys = icons.Image(6);
    const PixelSurface cube = icons.Image(5);

    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    int clicked = 0;
    {
        Win32TrayMenu menu(window);
        menu.AddItem(
            L"Переподключиться", [&] { clicked = 1; }, &keys);
        menu.AddItem(
            L"О программе", [&] { clicked = 3; }, &cube, true);
        menu.AddSeparator();
        menu.AddItem(
            L"Без картинки", [&] { clicked = 4; }, nullptr);

        const HMENU handle = menu.Handle();
        ASSERT_EQ(GetMenuItemCount(handle), 4);
        struct Row {
            const char* name;
            bool separator;
            const PixelSurface* picture;
        };
        const std::vector<Row> rows{{"keys", false, &keys},
                                    {"cube", false, &cube},
                                    {"separator", true, nullptr},
                                    {"plain", false, nullptr}};
        for (UINT i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].name);
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_BITMAP | MIIM_ID;
            ASSERT_TRUE(GetMenuItemInfoW(handle, i, TRUE, &info));
            EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, rows[i].separator);
            if (rows[i].picture == nullptr) {
                EXPECT_EQ(info.hbmpItem, nullptr);
                continue;
            }
            EXPECT_EQ(info.hbmpItem, HBMMENU_CALLBACK);

            MEASUREITEMSTRUCT measure{};
            measure.CtlType = ODT_MENU;
            measure.itemID = info.wID;
            EXPECT_TRUE(
                SendMessageW(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
            EXPECT_EQ(measure.itemWidth, 16u);
            EXPECT_EQ(measure.itemHeight, 16u);

            DibSection canvas(16, 16);
            RECT all{0, 0, 16, 16};
            FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            DRAWITEMSTRUCT draw{};
            draw.CtlType = ODT_MENU;
            draw.itemID = info.wID;
            draw.hDC = canvas.Dc();
            draw.rcItem = all;
            EXPECT_TRUE(SendMessageW(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
            GdiFlush();
            EXPECT_TRUE(SameColours(canvas.ToSurface(), OnWhite(*rows[i].picture)));
        }
        // The separator takes no command: the default item is still the second one added.
        EXPECT_TRUE(menu.ClickDefaultItem());
        EXPECT_EQ(clicked, 3);
    }
    DestroyWindow(window);
}

// The tray icon's menu of the program: its items in order with their captions and pictures (two
// keys, the white cube, the red power symbol of the window's icon strip), and no default item.
TEST(TrayMenuWin32Test, TheProgramsMenuHasItsItemsInOrderWithTheirPictures) {
    auto strip = LoadPictureResource(GetModuleHandleW(nullptr), VQ_RES_NORMAL_ICONS);
    ASSERT_TRUE(strip.has_value());
    TXPImageList icons;
    icons.SetImagesBitmap(std::move(*strip));
    TKVRMonitorForm form{ProgramStart{GetModuleHandleW(nullptr),
                                      {u"server=http://127.0.0.1:1/"},
                                      ExecutablePath(),
                                      {}}};
    const HMENU menu = form.PopupMenu1().Handle();
    const HWND menuWindow = form.PopupMenu1().Window();

    const struct {
        const wchar_t* caption;  // empty for the separator
        int picture;             // index in the icon strip, -1 for none
    } rows[] = {
        {L"Переподключиться", 6},  // two keys
        {L"О программе", 5},       // the white cube
        {L"", -1},
        {L"Выход", 4},  // the red power symbol
    };
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    for (UINT i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        wchar_t caption[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_BITMAP | MIIM_ID | MIIM_STRING;
        info.dwTypeData = caption;
        info.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, rows[i].picture < 0);
        EXPECT_STREQ(caption, rows[i].caption);
        if (rows[i].picture < 0) continue;
        EXPECT_EQ(info.hbmpItem, HBMMENU_CALLBACK);
        EXPECT_TRUE(
            SameColours(DrawnPicture(menuWindow, info.wID), OnWhite(icons.Image(rows[i].picture))));
    }
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), static_cast<UINT>(-1))
        << "the menu has no default item";
}

}  // namespace
}  // namespace vq
