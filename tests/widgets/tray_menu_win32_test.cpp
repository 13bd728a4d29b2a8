#include "widgets/cool_tray_icon_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "resources/resource_names.h"
#include "widgets/picture_resource_win32.h"
#include "widgets/premultiplied_alpha.h"
#include "widgets/xp_image_list.h"

namespace vq {
namespace {

// The pixels of a menu item's DIB section, read straight from its memory.
std::optional<PixelSurface> BitmapPixels(HBITMAP bitmap) {
    DIBSECTION dib{};
    if (GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr ||
        dib.dsBm.bmBitsPixel != 32)
        return std::nullopt;
    PixelSurface pixels(dib.dsBm.bmWidth, dib.dsBm.bmHeight);
    GdiFlush();
    std::memcpy(pixels.Data(), dib.dsBm.bmBits, pixels.ByteSize());
    return pixels;
}

TEST(TrayMenuWin32Test, ItemsCarryPremultipliedPicturesAndSeparators) {
    auto strip = LoadPictureResource(GetModuleHandleW(nullptr), VQ_RES_NORMAL_ICONS);
    ASSERT_TRUE(strip.has_value());
    TXPImageList icons;
    icons.SetImagesBitmap(std::move(*strip));
    ASSERT_EQ(icons.Count(), 7);
    const PixelSurface keys = icons.Image(6);
    const PixelSurface cube = icons.Image(5);

    int clicked = 0;
    Win32TrayMenu menu(nullptr);
    menu.AddItem(L"Переподключиться", [&] { clicked = 1; }, &keys);
    menu.AddItem(L"О программе", [&] { clicked = 3; }, &cube, true);
    menu.AddSeparator();
    menu.AddItem(L"Без картинки", [&] { clicked = 4; }, nullptr);

    const HMENU handle = menu.Handle();
    ASSERT_EQ(GetMenuItemCount(handle), 4);
    struct Row {
        const char* name;
        bool separator;
        const PixelSurface* picture;
    };
    const std::vector<Row> rows{{"keys", false, &keys}, {"cube", false, &cube},
                                {"separator", true, nullptr}, {"plain", false, nullptr}};
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
        ASSERT_NE(info.hbmpItem, nullptr);
        const auto pixels = BitmapPixels(info.hbmpItem);
        ASSERT_TRUE(pixels.has_value());
        EXPECT_TRUE(*pixels == Premultiplied(*rows[i].picture));
    }
    // The separator takes no command: the default item is still the second one added.
    EXPECT_TRUE(menu.ClickDefaultItem());
    EXPECT_EQ(clicked, 3);
}

}  // namespace
}  // namespace vq
