#include "formats/system_library_win32.h"

namespace vq {

std::wstring SystemFolderPath(const wchar_t* file_name) {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
        if (length == 0) return {};
        if (length < folder.size()) {
            folder.resize(length);
            break;
        }
        folder.resize(length);  // too small: length is the size needed, with the terminating NUL
    }
    if (folder.back() != L'\\') folder += L'\\';
    return folder + file_name;
}

SystemLibrary::SystemLibrary(const wchar_t* file_name) {
    const std::wstring path = SystemFolderPath(file_name);
    // A full path is loaded from there and nowhere else; the DLLs it needs in turn are system ones.
    if (!path.empty())
        module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::~SystemLibrary() {
    if (module_) FreeLibrary(module_);
}

}  // namespace vq
