// The pictures are decoded by the gdiplus.dll that the program's manifest binds side by side (the
// test program carries the same manifest), never by one found in the program's own folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string>

#include "resources/resource_names.h"
#include "widgets/picture_resource_win32.h"

namespace vq {
namespace {

std::wstring Lowercase(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return std::towlower(c); });
    return text;
}

TEST(PictureResource, EveryPictureDecodesWithTheSideBySideGdiplus) {
    const HMODULE program = GetModuleHandleW(nullptr);
    for (const wchar_t* name :
         {VQ_RES_LOADING_ICONS, VQ_RES_NORMAL_ICONS, VQ_RES_PIC_CONECTING, VQ_RES_PIC_PAUSE,
          VQ_RES_PIC_CONECTED, VQ_RES_PIC_STOP, VQ_RES_PIE_CHART, VQ_RES_GLOBE, VQ_RES_LOGO}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(name)));
        const std::optional<PixelSurface> picture = LoadPictureResource(program, name);
        ASSERT_TRUE(picture.has_value());
        EXPECT_GT(picture->Width(), 0);
        EXPECT_GT(picture->Height(), 0);
    }

    // The library the decoding used, as the loader resolved the program's import: the store's
    // Microsoft.Windows.GdiPlus assembly, not the system folder and not the program's folder.
    const HMODULE gdiplus = GetModuleHandleW(L"gdiplus.dll");
    ASSERT_NE(gdiplus, nullptr);
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(gdiplus, path.data(), static_cast<DWORD>(path.size())));
    const std::wstring lower = Lowercase(path);
    EXPECT_NE(lower.find(L"\\winsxs\\"), std::wstring::npos) << ::testing::PrintToString(path);
    EXPECT_NE(lower.find(L"microsoft.windows.gdiplus_"), std::wstring::npos)
        << ::testing::PrintToString(path);
}

}  // namespace
}  // namespace vq
