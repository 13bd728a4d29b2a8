#include "auth/log_platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "auth/in_out_error.h"
#include "formats/utf8.h"

namespace vq {

namespace {

// The number with at least `width` digits, zeros in front.
std::u16string Digits(int number, std::size_t width) {
    std::u16string text;
    for (const char c : std::to_string(number)) text += static_cast<char16_t>(c);
    if (text.size() < width) text.insert(0, width - text.size(), u'0');
    return text;
}

std::string SystemText(int code) { return std::generic_category().message(code); }

// Linux has no ANSI code page; its text files are UTF-8, which holds every character of the
// messages (Russian ones included) where a single-byte table would lose them.
class Utf8Text final : public AnsiCodePage {
public:
    std::u16string Decode(std::string_view bytes) const override { return Utf8ToUtf16(bytes); }
    std::string Encode(std::u16string_view text) const override { return Utf16ToUtf8(text); }
};

class PosixLogFile final : public LogFile {
public:
    PosixLogFile(int fd, std::u16string path) : fd_(fd), path_(std::move(path)) {}
    PosixLogFile(const PosixLogFile&) = delete;
    PosixLogFile& operator=(const PosixLogFile&) = delete;
    ~PosixLogFile() override {
        if (fd_ >= 0) ::close(fd_);
    }

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                // A write that takes nothing without an error means there is no room left.
                const int code = written < 0 ? errno : ENOSPC;
                throw EInOutError("Cannot write to the log file", path_, code, SystemText(code));
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    void Close() override {
        if (fd_ < 0) return;
        // The descriptor is gone whatever close() answers, so it is never closed twice.
        if (::close(std::exchange(fd_, -1)) != 0) {
            const int code = errno;
            throw EInOutError("Cannot close the log file", path_, code, SystemText(code));
        }
    }

private:
    int fd_;
    std::u16string path_;
};

class PosixLogPlatform final : public LogPlatform {
public:
    // As a Russian locale shows it: dd.MM.yyyy and HH:mm:ss.
    std::u16string FormatShortDate(const LocalDateTime& moment) override {
        return Digits(moment.day, 2) + u'.' + Digits(moment.month, 2) + u'.' +
               Digits(moment.year, 4);
    }
    std::u16string FormatLongTime(const LocalDateTime& moment) override {
        return Digits(moment.hour, 2) + u':' + Digits(moment.minute, 2) + u':' +
               Digits(moment.second, 2);
    }

    char16_t PathSeparator() const override { return u'/'; }

    void CreateDirectories(std::u16string_view path) override {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(Utf16ToUtf8(path)), ignored);
    }

    std::unique_ptr<LogFile> OpenForAppend(std::u16string_view path) override {
        const std::string native = Utf16ToUtf8(path);
        const int fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int code = errno;
            throw EInOutError("Cannot open the log file", path, code, SystemText(code));
        }
        auto file = std::make_unique<PosixLogFile>(fd, std::u16string(path));
        // POSIX has no share modes: writers of this program take an exclusive lock on the open
        // file, which shuts out a second writer (another instance, or a second open here) and
        // leaves readers alone.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            const std::string text = code == EWOULDBLOCK
                                         ? std::string("another writer holds the file open")
                                         : SystemText(code);
            throw EInOutError("Cannot open the log file", path, code, text);
        }
        return file;
    }

    const AnsiCodePage& CodePage() const override { return utf8_; }

private:
    Utf8Text utf8_;
};

}  // namespace

LogPlatform& SystemLogPlatform() {
    static PosixLogPlatform platform;  // holds no state
    return platform;
}

}  // namespace vq
