#include "formats/system_library_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace vq {
namespace {

TEST(SystemLibrary, LoadsOnlyFromTheSystemFolderAndFindsOnlyWhatIsExported) {
    // The planted DLL lies in the test program's own folder (LoadLibraryW would find it by name
    // there), never in the system folder.
    struct Case {
        const wchar_t* library;
        const char* function;
        bool loaded;
        bool found;
    };
    const Case cases[] = {
        {L"secur32.dll", "GetUserNameExW", true, true},
        {L"secur32.dll", "NoSuchFunctionInThisLibrary", true, false},
        {VQ_PLANTED_DLL_NAME, "VqPlantedDllMarker", false, false},
        {L"vq-no-such-library.dll", "GetUserNameExW", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.library)) + " " + c.function);
        const SystemLibrary library(c.library);
        EXPECT_EQ(library.Loaded(), c.loaded);
        using AnyFunction = void();
        EXPECT_EQ(library.Find<AnyFunction>(c.function) != nullptr, c.found);
    }
}

}  // namespace
}  // namespace vq
