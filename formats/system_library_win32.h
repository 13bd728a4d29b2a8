#pragma once
// A DLL of Windows loaded from the system folder by its full path, for the libraries that are not
// among the known DLLs: loaded by name alone, the loader would look in the program's own folder
// first, where anyone who can write there could have put a library of the same name.

#include <windows.h>

#include <string>

namespace vq {

class SystemLibrary {
public:
    // Loads system32\<file_name>; Loaded() is false when it is missing or fails to load.
    explicit SystemLibrary(const wchar_t* file_name);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // The exported function name as Function, or null when the library or the export is missing.
    template <typename Function>
    Function* Find(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_ = nullptr;
};

// The full path of a file in the system folder (GetSystemDirectoryW), empty when unknown.
std::wstring SystemFolderPath(const wchar_t* file_name);

}  // namespace vq
