#include "app/linux_places_posix.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace vq {

namespace {

// The variable's value when it is an absolute path.
std::optional<std::filesystem::path> AbsolutePath(const EnvironmentLookup& environment,
                                                  std::string_view name) {
    const std::optional<std::string> value = environment(name);
    if (!value || value->empty() || value->front() != '/') return std::nullopt;
    return std::filesystem::path(*value);
}

// The account's home folder from the password database (getpwuid_r).
std::optional<std::filesystem::path> PasswordDatabaseHome() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int code = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        // ERANGE: the entry does not fit; grow within reason (a home path is short).
        if (code == ERANGE && buffer.size() < 1024 * 1024) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (code != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
            return std::nullopt;
        return std::filesystem::path(found->pw_dir);
    }
}

[[noreturn]] void Unsafe(const std::filesystem::path& folder, const char* why, int code) {
    throw std::system_error(code, std::generic_category(),
                            "Unsafe private folder \"" + folder.string() + "\": " + why);
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
    return [](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    };
}

std::filesystem::path StateFolder(const EnvironmentLookup& environment) {
    if (auto state_home = AbsolutePath(environment, "XDG_STATE_HOME")) return *state_home / "vq";
    auto home = AbsolutePath(environment, "HOME");
    if (!home) home = PasswordDatabaseHome();
    if (!home) throw std::runtime_error("No home folder: $HOME is unset and the account has none");
    return *home / ".local" / "state" / "vq";
}

std::filesystem::path RuntimeFolder(const EnvironmentLookup& environment) {
    if (auto runtime = AbsolutePath(environment, "XDG_RUNTIME_DIR")) return *runtime;
    const std::filesystem::path folder = "/tmp/vq-" + std::to_string(::getuid());
    PrepareOwnPrivateFolder(folder);
    return folder;
}

void PrepareOwnPrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        Unsafe(folder, "cannot be created", errno);
    // lstat: a symbolic link planted in our folder's place is refused, not followed.
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) Unsafe(folder, "cannot be examined", errno);
    if (!S_ISDIR(info.st_mode)) Unsafe(folder, "not a folder", ENOTDIR);
    if (info.st_uid != ::getuid()) Unsafe(folder, "owned by another user", EPERM);
    if ((info.st_mode & 0077) != 0) Unsafe(folder, "open to other users", EPERM);
}

std::filesystem::path InstanceLockPath(const std::filesystem::path& runtime_folder,
                                       std::string_view display) {
    // ":0" and ":0.0" name the same display: the screen number after the dot is dropped.
    const auto colon = display.rfind(':');
    if (colon != std::string_view::npos) {
        const auto dot = display.find('.', colon);
        if (dot != std::string_view::npos) display = display.substr(0, dot);
    }
    if (display.empty()) return runtime_folder / "vq.lock";
    std::string name = "vq-";
    for (const char c : display) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-';
        name += plain ? c : '_';
    }
    return runtime_folder / (name + ".lock");
}

}  // namespace vq
