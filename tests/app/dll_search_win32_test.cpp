#include "app/dll_search_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace vq {
namespace {

// Whether a DLL of that name is found by name alone; it is let go again at once, so that a later
// load searches afresh instead of finding it among the loaded modules.
bool LoadableByName(const wchar_t* name) {
    const HMODULE module = LoadLibraryW(name);
    if (module == nullptr) return false;
    FreeLibrary(module);
    return true;
}

// The restriction lasts for the rest of the process, so it is made in a child process of its own
// (a death test), and the rest of the suite keeps the standard search order.
TEST(DllSearchDeathTest, AfterwardsADllInTheProgramsFolderIsNotLoadedByName) {
    // The planted DLL lies in the test program's own folder, where the standard order finds it.
    ASSERT_TRUE(LoadableByName(VQ_PLANTED_DLL_NAME));
    EXPECT_EXIT(
        {
            int failures = 0;
            if (!SearchDllsInSystemFolderOnly()) failures |= 1;
            if (LoadableByName(VQ_PLANTED_DLL_NAME)) failures |= 2;
            // A system DLL that is not a known DLL is still found, in the system folder.
            if (!LoadableByName(L"secur32.dll")) failures |= 4;
            std::_Exit(failures);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vq
