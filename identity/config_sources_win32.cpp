#include <windows.h>

#include <utility>

#include "formats/errors.h"
#include "formats/utf8.h"
#include "formats/wide_text_win32.h"
#include "identity/config_sources_win32.h"
#include "identity/server_config.h"

namespace vq {

namespace {

// The INI reader's buffer: values of up to 2047 characters and the terminating NUL.
constexpr DWORD kIniValueCapacity = 2048;

// Owns a file handle from CreateFileW and closes it once.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (Valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

Win32ConfigSources::Win32ConfigSources(std::u16string_view executable_path,
                                       std::vector<std::u16string> arguments, Registry& registry)
    : ini_path_(ConfigIniPath(executable_path)),
      arguments_(std::move(arguments)),
      registry_(registry) {}

bool Win32ConfigSources::IniFileExists() const {
    const std::wstring path = ToWide(ini_path_);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;

    // GetFileAttributesW describes a symbolic link itself; opening it (with no access rights
    // asked, so that locks and permissions do not matter) reaches the target, if there is one.
    const FileHandle target(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return target.Valid() && GetFileInformationByHandle(target.Get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::u16string Win32ConfigSources::ReadIniString(std::u16string_view section,
                                                 std::u16string_view key,
                                                 std::u16string_view default_value) const {
    const std::wstring path = ToWide(ini_path_);
    // GetPrivateProfileStringW answers the default for a file it cannot open, so a file that is
    // there but locked or forbidden would pass for one without the item. Opening it first tells
    // the two apart.
    {
        const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) throw EFOpenError("Cannot open file \"" + Utf16ToUtf8(ini_path_) + "\"");
    }

    std::wstring value(kIniValueCapacity, L'\0');
    const DWORD length = GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                                  ToWide(default_value).c_str(), value.data(),
                                                  kIniValueCapacity, path.c_str());
    return FromWide(std::wstring_view(value.data(), length));
}

}  // namespace vq
