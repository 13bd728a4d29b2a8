#include <windows.h>

#include <cstring>

#include <gtest/gtest.h>

#include "resources/resource_names.h"

namespace vq {
namespace {

TEST(Resources, EveryPictureIsAnEmbeddedPng) {
    for (const wchar_t* name :
         {VQ_RES_LOADING_ICONS, VQ_RES_NORMAL_ICONS, VQ_RES_PIC_CONECTING, VQ_RES_PIC_PAUSE,
          VQ_RES_PIC_CONECTED, VQ_RES_PIC_STOP, VQ_RES_PIE_CHART, VQ_RES_GLOBE, VQ_RES_LOGO}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(name)));
        HRSRC found = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
        ASSERT_NE(found, nullptr);
        HGLOBAL loaded = LoadResource(nullptr, found);
        ASSERT_NE(loaded, nullptr);
        ASSERT_GT(SizeofResource(nullptr, found), 8u);
        EXPECT_EQ(std::memcmp(LockResource(loaded), "\x89PNG\r\n\x1a\n", 8), 0);
    }
}

TEST(Resources, VersionComesFromTheProjectsNumber) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    EXPECT_EQ(HIWORD(info->dwFileVersionMS), 1);
}

}  // namespace
}  // namespace vq
