#pragma once
// The server base URL held by the monitor window: read from the command line, the INI file
// beside the executable or the per-user policy key, and refreshed at most every five minutes
// when the worker asks for it with WM_AUTH_GET_SERVER.

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/line_list.h"
#include "identity/config_sources.h"
#include "identity/tick_source.h"

namespace vq {

// The INI read's default: the access server's usual name on the local network.
inline constexpr std::u16string_view kDefaultServerName = u"http://gate.corp.local/";

// The argument prefix, the INI item and the policy key that carry the address.
inline constexpr std::u16string_view kServerArgument = u"server=";
inline constexpr std::u16string_view kIniSection = u"server";
inline constexpr std::u16string_view kServerNameItem = u"ServerName";
inline constexpr std::u16string_view kPolicyKeyPath = u"Software\\Policies\\Tolmar\\vq";

// A request that comes more than this many milliseconds after the last read attempt reads the
// sources again.
inline constexpr std::uint32_t kConfigRereadInterval = 300000;

// The executable's path with its extension replaced by ".ini" (appended when it has none).
std::u16string ConfigIniPath(std::u16string_view executable_path);

// The policy value "ServerName": a plain or expandable string taken as stored, empty when the key
// or the value is missing; a value of another type raises "Invalid data type for 'ServerName'".
std::u16string ReadPolicyServerName(Registry& registry);

// Lives on the window's thread; the sources and the tick source must outlive it.
class ServerConfig {
public:
    ServerConfig(const ConfigSources& sources, const TickSource& ticks);

    // Reads the sources in their order and stores the address; a failed read keeps the previous
    // one. Either way the attempt's time is stamped.
    void ReadServerConfig();

    // WM_AUTH_GET_SERVER: re-reads when the last attempt is more than five minutes old, then
    // replaces the worker's line list by the address split into lines.
    void HandleGetServer(LineList& lines);

    const std::u16string& ServerName() const { return FServerName; }
    std::uint32_t LastConfigRead() const { return FLastConfigRead; }
    // Starting the worker does this, so that its first request reads the sources again.
    void ResetLastConfigRead() { FLastConfigRead = 0; }

private:
    std::u16string ReadSources() const;

    const ConfigSources& sources_;
    const TickSource& ticks_;
    std::u16string FServerName;
    std::uint32_t FLastConfigRead = 0;  // tick count of the last reading of the sources
};

}  // namespace vq
