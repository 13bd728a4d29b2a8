#pragma once
// The configuration sources of the running program on Windows: the arguments and executable
// path the start-up code obtained (CommandLineToArgvW, GetModuleFileNameW), the INI file beside
// the executable, and the registry.

#include <string>
#include <string_view>
#include <vector>

#include "formats/registry.h"
#include "identity/config_sources.h"

namespace vq {

class Win32ConfigSources final : public ConfigSources {
public:
    Win32ConfigSources(std::u16string_view executable_path, std::vector<std::u16string> arguments,
                       Registry& registry = PlatformRegistry());

    const std::vector<std::u16string>& Arguments() const override { return arguments_; }
    bool IniFileExists() const override;
    std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view default_value) const override;
    Registry& PolicyRegistry() const override { return registry_; }

    const std::u16string& IniPath() const { return ini_path_; }

private:
    std::u16string ini_path_;
    std::vector<std::u16string> arguments_;
    Registry& registry_;
};

}  // namespace vq
