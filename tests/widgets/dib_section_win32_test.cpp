#include "widgets/dib_section_win32.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "widgets/xp_image_list_gdi_win32.h"

namespace vq {
namespace {

constexpr Bgra Pixel(int r, int g, int b, int a) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(a)};
}

PixelSurface Gradient(int width, int height) {
    PixelSurface surface(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            surface.At(x, y) = Pixel(10 * x, 20 * y, x + y, 100 + x);
        }
    }
    return surface;
}

// A GDI bitmap read back as 32-bit top-down pixels (the bitmap must not be selected).
PixelSurface ReadBitmap(HBITMAP bitmap) {
    BITMAP shape{};
    if (GetObjectW(bitmap, sizeof shape, &shape) == 0) {
        return {};
    }
    PixelSurface surface(shape.bmWidth, shape.bmHeight);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight),
                                surface.Data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == shape.bmHeight ? surface : PixelSurface();
}

TEST(DibSection, RoundTripKeepsEveryByteInTopDownOrder) {
    const PixelSurface surface = Gradient(5, 3);
    DibSection dib(surface);
    ASSERT_NE(dib.Bitmap(), nullptr);
    ASSERT_NE(dib.Dc(), nullptr);
    EXPECT_EQ(dib.ToSurface(), surface);
    // GDI sees row 0 at the top: pixel (4, 2) is red 40, green 40, blue 6.
    EXPECT_EQ(GetPixel(dib.Dc(), 4, 2), RGB(40, 40, 6));

    // BitBlt between two DIBs carries the alpha bytes too.
    DibSection copy(5, 3);
    EXPECT_EQ(copy.ToSurface(), PixelSurface(5, 3));
    ASSERT_TRUE(BitBlt(copy.Dc(), 0, 0, 5, 3, dib.Dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(copy.ToSurface(), surface);

    DibSection moved(std::move(copy));
    EXPECT_EQ(copy.Bitmap(), nullptr);
    EXPECT_EQ(moved.ToSurface(), surface);
    moved = DibSection(PixelSurface(2, 2, Pixel(1, 2, 3, 4)));
    EXPECT_EQ(moved.ToSurface(), PixelSurface(2, 2, Pixel(1, 2, 3, 4)));
}

TEST(DibSection, IconFromImageHasItsSizeColoursAndMask) {
    TXPImageList list(5, 3);
    PixelSurface strip(10, 3, Pixel(0, 0, 0, 255));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            strip.At(5 + x, y) = Pixel(200, 10 * x, 30 * y, 255);
        }
    }
    strip.At(5, 0) = Pixel(255, 0, 255, 255);  // mask colour
    strip.At(6, 0) = Pixel(1, 2, 3, 0);        // fully transparent
    list.SetImagesBitmap(strip);

    EXPECT_FALSE(CreateIconFromImage(list, 2));
    EXPECT_FALSE(CreateIconFromImage(list, -1));
    const UniqueIcon icon = CreateIconFromImage(list, 1);
    ASSERT_TRUE(icon);

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
    const UniqueBitmap colourBitmap(info.hbmColor);
    const UniqueBitmap maskBitmap(info.hbmMask);
    ASSERT_TRUE(colourBitmap);
    const PixelSurface colour = ReadBitmap(colourBitmap.Get());
    const PixelSurface mask = ReadBitmap(maskBitmap.Get());
    ASSERT_EQ(colour.Width(), 5);
    ASSERT_EQ(colour.Height(), 3);
    ASSERT_EQ(mask.Width(), 5);
    ASSERT_EQ(mask.Height(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            const bool transparent = y == 0 && x < 2;
            EXPECT_EQ(colour.At(x, y), transparent ? Bgra{} : Pixel(200, 10 * x, 30 * y, 255));
            // White mask pixels let the screen through.
            EXPECT_EQ(mask.At(x, y).r, transparent ? 255 : 0);
        }
    }
}

TEST(DibSection, XPDrawToDcBlendsLikeThePortableDrawing) {
    TXPImageList list(2, 2);
    PixelSurface strip(4, 2, Pixel(0, 0, 0, 0));
    strip.FillRect(2, 0, 4, 2, Pixel(255, 128, 0, 200));
    strip.At(3, 1) = Pixel(0, 0, 255, 255);
    list.SetImagesBitmap(strip);

    const PixelSurface background = Gradient(4, 4);
    for (const auto& [style, enabled] :
         std::vector<std::pair<std::uint32_t, bool>>{{0, true}, {2, true}, {4, true}, {0, false}}) {
        SCOPED_TRACE("style " + std::to_string(style) + " enabled " + std::to_string(enabled));
        DibSection target(background);
        XPDrawToDc(list, 1, target.Dc(), 1, 2, style, enabled);
        XPDrawToDc(list, 2, target.Dc(), 0, 0, style, enabled);  // out of range: nothing
        PixelSurface expected = background;
        list.XPDraw(1, expected, 1, 2, style, enabled);
        EXPECT_NE(expected, background);
        EXPECT_EQ(target.ToSurface(), expected);
    }
}

TEST(DibSection, LayeredWindowTakesASurface) {
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0,
                                  8, 8, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(UpdateLayeredWindowFromSurface(window, Gradient(8, 8), 10, 20));
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, 8);
    DestroyWindow(window);
}

}  // namespace
}  // namespace vq
