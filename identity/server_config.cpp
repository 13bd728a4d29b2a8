#include "identity/server_config.h"

#include <exception>

#include "formats/errors.h"

namespace vq {

std::u16string ConfigIniPath(std::u16string_view executable_path) {
    // The extension is what follows the last dot of the file name; a dot in a folder name or
    // after a drive letter does not count.
    const auto dot = executable_path.find_last_of(u".\\/:");
    std::u16string path(executable_path);
    if (dot != std::u16string_view::npos && executable_path[dot] == u'.') path.resize(dot);
    return path + u".ini";
}

std::u16string ReadPolicyServerName(Registry& registry) {
    return ReadRegistryString(registry, RegistryRoot::CurrentUser, kPolicyKeyPath, kServerNameItem);
}

ServerConfig::ServerConfig(const ConfigSources& sources, const TickSource& ticks)
    : sources_(sources), ticks_(ticks) {}

std::u16string ServerConfig::ReadSources() const {
    // The first argument containing "server=" wins; the address starts right after the first
    // seven characters, wherever "server=" stands in it.
    for (const auto& argument : sources_.Arguments()) {
        if (argument.find(kServerArgument) != std::u16string::npos)
            return argument.substr(kServerArgument.size());
    }
    // An INI file that exists is the answer even without the item: the registry is not asked.
    if (sources_.IniFileExists())
        return sources_.ReadIniString(kIniSection, kServerNameItem, kDefaultServerName);
    return ReadPolicyServerName(sources_.PolicyRegistry());
}

void ServerConfig::ReadServerConfig() {
    try {
        FServerName = ReadSources();
    } catch (const std::exception&) {
        // A broken source leaves the address the worker already has; the next try comes with
        // the next re-read.
    }
    FLastConfigRead = ticks_.TickCount();
}

void ServerConfig::HandleGetServer(LineList& lines) {
    // Unsigned subtraction keeps the interval right across the tick counter's wrap at 2^32.
    const std::uint32_t elapsed = ticks_.TickCount() - FLastConfigRead;
    if (elapsed > kConfigRereadInterval) ReadServerConfig();
    lines.SetText(FServerName);
}

}  // namespace vq
