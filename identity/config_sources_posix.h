#pragma once
// The configuration sources of the running program on Linux: the arguments given, and one
// system-wide INI file, /etc/vq/vq.ini, in place of the INI file beside the executable. There is
// no per-user policy key: the registry is an empty one.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/memory_registry.h"
#include "identity/config_sources.h"

namespace vq {

inline constexpr std::string_view kSystemIniPath = "/etc/vq/vq.ini";
// A configuration file larger than this is refused rather than read: the real one holds a line
// or two, and the file is read anew every five minutes.
inline constexpr std::size_t kIniFileMaxBytes = 1024 * 1024;

class PosixConfigSources final : public ConfigSources {
public:
    explicit PosixConfigSources(std::vector<std::u16string> arguments,
                                std::filesystem::path ini_path = kSystemIniPath);

    const std::vector<std::u16string>& Arguments() const override { return arguments_; }
    // Always true. The system file is the last place an administrator can name the server, so
    // it is always consulted: a missing file reads as one without the item, which gives the
    // built-in default (an empty address would leave the worker idle for good, there being no
    // policy key to fall back on).
    bool IniFileExists() const override { return true; }
    // The item as FindIniValue reads it; default_value when the file does not exist (a dangling
    // symbolic link included). A file that exists but cannot be read, is not a regular file or is
    // larger than kIniFileMaxBytes raises EFOpenError.
    std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view default_value) const override;
    Registry& PolicyRegistry() const override { return registry_; }

    const std::filesystem::path& IniPath() const { return ini_path_; }

private:
    std::vector<std::u16string> arguments_;
    std::filesystem::path ini_path_;
    mutable MemoryRegistry registry_;  // stays empty
};

}  // namespace vq
