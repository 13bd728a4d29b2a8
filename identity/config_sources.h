#pragma once
// Where the server address may come from: the program's arguments, the INI file beside the
// executable and the registry. The address rules themselves live in ServerConfig; an
// implementation only reaches the platform (Win32ConfigSources) or a test's fixed answers.

#include <string>
#include <string_view>
#include <vector>

#include "formats/registry.h"

namespace vq {

class ConfigSources {
public:
    virtual ~ConfigSources() = default;

    // The program's arguments in order, without the program name.
    virtual const std::vector<std::u16string>& Arguments() const = 0;

    // Whether the INI file beside the executable exists (a symbolic link counts when its target
    // does).
    virtual bool IniFileExists() const = 0;
    // The value of key in section of that file, or default_value when the section or key is
    // absent; values are read up to 2047 characters. Raises when the file cannot be read.
    virtual std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view default_value) const = 0;

    // The registry holding the per-user policy key.
    virtual Registry& PolicyRegistry() const = 0;
};

}  // namespace vq
