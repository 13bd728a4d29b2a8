#pragma once
// What the user's identity is read from on a system whose accounts come from the name service
// (NSS: the local files, SSSD or winbind): one operation per C library call, answering in the
// name service's own bytes (UTF-8 on the systems we serve). Implementations never raise; a call
// that fails, finds nothing or answers beyond the implementation's size bounds gives nullopt. The
// real one is SystemNameService (system_name_service_posix.h); tests give fakes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vq {

// The parts of a password entry (struct passwd) the identity uses.
struct NameServiceUser {
    std::string name;                 // pw_name, as the name service spells it
    std::string gecos;                // pw_gecos: full name, then comma-separated extras
    std::uint32_t primary_group = 0;  // pw_gid

    friend bool operator==(const NameServiceUser&, const NameServiceUser&) = default;
};

class NameService {
public:
    virtual ~NameService() = default;

    // getpwuid_r: the account with that user id.
    virtual std::optional<NameServiceUser> UserById(std::uint32_t user_id) = 0;
    // getgrouplist: the ids of every group the named user belongs to, primary_group among them.
    virtual std::optional<std::vector<std::uint32_t>> GroupIdsOf(std::string_view user_name,
                                                                 std::uint32_t primary_group) = 0;
    // getgrgid_r: the name of the group with that id.
    virtual std::optional<std::string> GroupNameById(std::uint32_t group_id) = 0;
};

}  // namespace vq
