#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "auth/in_out_error.h"
#include "auth/log_platform.h"
#include "formats/utf8.h"
#include "formats/wide_text_win32.h"

namespace vq {

namespace {

// The system's description of the error code, in UTF-8, without the closing period.
std::string SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text = FromWide(std::wstring_view(buffer, buffer != nullptr ? length : 0));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' ||
                             text.back() == u'.')) {
        text.pop_back();
    }
    return text.empty() ? std::string("system error") : Utf16ToUtf8(text);
}

[[noreturn]] void Raise(const char* action, std::u16string_view path, DWORD code) {
    throw EInOutError(action, path, static_cast<int>(code), SystemText(code));
}

SYSTEMTIME ToSystemTime(const LocalDateTime& moment) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(moment.year);
    time.wMonth = static_cast<WORD>(moment.month);
    time.wDay = static_cast<WORD>(moment.day);
    time.wHour = static_cast<WORD>(moment.hour);
    time.wMinute = static_cast<WORD>(moment.minute);
    time.wSecond = static_cast<WORD>(moment.second);
    time.wMilliseconds = static_cast<WORD>(moment.millisecond);
    return time;
}

// Runs one of GetDateFormatW / GetTimeFormatW twice: for the length, then for the text. A
// moment the function rejects gives an empty text.
template <typename Format>
std::u16string Formatted(Format format) {
    const int length = format(nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    const int written = format(text.data(), length);
    if (written <= 0) return {};
    text.resize(static_cast<std::size_t>(written - 1));  // the count includes the NUL
    return FromWide(text);
}

class Win32LogFile final : public LogFile {
public:
    Win32LogFile(HANDLE handle, std::u16string path) : handle_(handle), path_(std::move(path)) {}
    Win32LogFile(const Win32LogFile&) = delete;
    Win32LogFile& operator=(const Win32LogFile&) = delete;
    ~Win32LogFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) {
                Raise("Cannot write to the log file", path_, GetLastError());
            }
            if (written == 0) Raise("Cannot write to the log file", path_, ERROR_DISK_FULL);
            bytes.remove_prefix(written);
        }
    }

    void Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        if (!CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE))) {
            Raise("Cannot close the log file", path_, GetLastError());
        }
    }

private:
    HANDLE handle_;
    std::u16string path_;
};

class Win32LogPlatform final : public LogPlatform {
public:
    std::u16string FormatShortDate(const LocalDateTime& moment) override {
        const SYSTEMTIME time = ToSystemTime(moment);
        return Formatted([&](wchar_t* text, int size) {
            return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, size);
        });
    }

    std::u16string FormatLongTime(const LocalDateTime& moment) override {
        const SYSTEMTIME time = ToSystemTime(moment);
        return Formatted([&](wchar_t* text, int size) {
            return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, size);
        });
    }

    char16_t PathSeparator() const override { return u'\\'; }

    // CreateDirectoryW makes one level at a time, so every prefix that ends before a separator
    // is tried in turn. Those that exist already, a drive ("C:") or a server name fail, which
    // does no harm; a real failure shows when the file is opened.
    void CreateDirectories(std::u16string_view path) override {
        const std::wstring wide = ToWide(path);
        for (std::size_t end = 1; end <= wide.size(); ++end) {
            if (end == wide.size() || wide[end] == L'\\' || wide[end] == L'/') {
                CreateDirectoryW(wide.substr(0, end).c_str(), nullptr);
            }
        }
    }

    // FILE_APPEND_DATA alone makes every write go to the file's end; FILE_SHARE_READ lets
    // readers in and makes any other writer's open fail with a sharing violation.
    std::unique_ptr<LogFile> OpenForAppend(std::u16string_view path) override {
        const HANDLE handle = CreateFileW(ToWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            Raise("Cannot open the log file", path, GetLastError());
        }
        return std::make_unique<Win32LogFile>(handle, std::u16string(path));
    }

    const AnsiCodePage& CodePage() const override { return SystemAnsiCodePage(); }
};

}  // namespace

LogPlatform& SystemLogPlatform() {
    static Win32LogPlatform platform;  // holds no state
    return platform;
}

}  // namespace vq
