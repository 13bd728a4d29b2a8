#include "app/dll_search_win32.h"

#include <windows.h>

namespace vq {

bool SearchDllsInSystemFolderOnly() {
    // Looked up rather than imported: an import that kernel32 lacks would keep the program from
    // starting at all on a Windows 7 without the update.
    using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return false;
    const auto set_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction*>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    return set_directories != nullptr && set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace vq
