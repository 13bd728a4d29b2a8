#include "identity/config_sources_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

#include "formats/errors.h"
#include "identity/ini_text.h"

namespace vq {

namespace {

// Owns a descriptor from open() and closes it once.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void Refuse(const std::filesystem::path& path, const std::string& why) {
    throw EFOpenError("Cannot open file \"" + path.string() + "\": " + why);
}

// The file's bytes; nullopt when it does not exist.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path) {
    // O_NONBLOCK: a FIFO put in the file's place must not hold the window's thread.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        const int code = errno;
        if (code == ENOENT) return std::nullopt;
        Refuse(path, std::generic_category().message(code));
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) Refuse(path, std::generic_category().message(errno));
    if (!S_ISREG(info.st_mode)) Refuse(path, "not a regular file");

    const auto too_large = [&path] {
        Refuse(path, "larger than " + std::to_string(kIniFileMaxBytes) + " bytes");
    };
    if (static_cast<std::uintmax_t>(info.st_size) > kIniFileMaxBytes) too_large();

    // Read to the end in pieces, so that a file that grows after fstat is still held to the cap.
    std::string bytes;
    char piece[4096];
    for (;;) {
        const ssize_t got = ::read(file.Get(), piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Refuse(path, std::generic_category().message(errno));
        if (got == 0) break;
        bytes.append(piece, static_cast<std::size_t>(got));
        if (bytes.size() > kIniFileMaxBytes) too_large();
    }
    return bytes;
}

}  // namespace

PosixConfigSources::PosixConfigSources(std::vector<std::u16string> arguments,
                                       std::filesystem::path ini_path)
    : arguments_(std::move(arguments)), ini_path_(std::move(ini_path)) {}

std::u16string PosixConfigSources::ReadIniString(std::u16string_view section,
                                                 std::u16string_view key,
                                                 std::u16string_view default_value) const {
    const std::optional<std::string> text = ReadSmallFile(ini_path_);
    if (!text) return std::u16string(default_value);
    return FindIniValue(*text, section, key, default_value);
}

}  // namespace vq
