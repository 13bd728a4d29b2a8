#include "identity/system_name_service_posix.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace vq {

namespace {

// The first buffer for a *_r call: what the system suggests, or a page when it suggests nothing.
std::size_t FirstEntryBufferSize(int suggestion_name, std::size_t limit) {
    const long suggested = ::sysconf(suggestion_name);
    return std::min<std::size_t>(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096, limit);
}

// Calls lookup(buffer, size, result) with a growing buffer while it answers ERANGE, up to the
// entry limit. Returns the filled entry, or nullptr when there is none, an error, or no answer
// within the limit.
template <class Entry, class Lookup>
Entry* LookUpEntry(Entry& entry, std::vector<char>& buffer, int suggestion_name, std::size_t limit,
                   const Lookup& lookup) {
    std::size_t size = FirstEntryBufferSize(suggestion_name, limit);
    for (;;) {
        buffer.resize(size);
        Entry* result = nullptr;
        errno = 0;
        int error = lookup(&entry, buffer.data(), buffer.size(), &result);
        // The *_r calls return the error number; some NSS layers (nss_wrapper's getgrgid_r)
        // return -1 and leave it in errno instead.
        if (error < 0) error = errno;
        if (error == 0) return result;  // null: no such entry
        if (error == EINTR) continue;
        if (error != ERANGE || size >= limit) return nullptr;
        size = std::min(size * 2, limit);
    }
}

class CLibraryNameService final : public NameService {
public:
    explicit CLibraryNameService(NameServiceLimits limits) : limits_(limits) {}

    std::optional<NameServiceUser> UserById(std::uint32_t user_id) override {
        struct passwd entry {};
        std::vector<char> buffer;
        const struct passwd* found = LookUpEntry(
            entry, buffer, _SC_GETPW_R_SIZE_MAX, limits_.entry_bytes,
            [user_id](struct passwd* e, char* data, std::size_t size, struct passwd** result) {
                return ::getpwuid_r(static_cast<uid_t>(user_id), e, data, size, result);
            });
        if (found == nullptr || found->pw_name == nullptr) return std::nullopt;
        return NameServiceUser{found->pw_name, found->pw_gecos ? found->pw_gecos : "",
                               static_cast<std::uint32_t>(found->pw_gid)};
    }

    std::optional<std::vector<std::uint32_t>> GroupIdsOf(std::string_view user_name,
                                                         std::uint32_t primary_group) override {
        // The C call takes a NUL-terminated name: one with a NUL inside names someone else.
        if (user_name.find('\0') != std::string_view::npos) return std::nullopt;
        const std::string name(user_name);
        std::size_t capacity = std::min<std::size_t>(64, limits_.groups);
        for (;;) {
            std::vector<gid_t> groups(capacity);
            int count = static_cast<int>(capacity);
            if (::getgrouplist(name.c_str(), static_cast<gid_t>(primary_group), groups.data(),
                               &count) >= 0) {
                groups.resize(static_cast<std::size_t>(std::max(count, 0)));
                return std::vector<std::uint32_t>(groups.begin(), groups.end());
            }
            // Too small: count now holds the number needed. Grow at least twice over, so an
            // implementation that does not say still ends.
            if (capacity >= limits_.groups) return std::nullopt;
            const std::size_t needed = count > 0 ? static_cast<std::size_t>(count) : 0;
            capacity = std::min(std::max(needed, capacity * 2), limits_.groups);
        }
    }

    std::optional<std::string> GroupNameById(std::uint32_t group_id) override {
        struct group entry {};
        std::vector<char> buffer;
        const struct group* found = LookUpEntry(
            entry, buffer, _SC_GETGR_R_SIZE_MAX, limits_.entry_bytes,
            [group_id](struct group* e, char* data, std::size_t size, struct group** result) {
                return ::getgrgid_r(static_cast<gid_t>(group_id), e, data, size, result);
            });
        if (found == nullptr || found->gr_name == nullptr) return std::nullopt;
        return std::string(found->gr_name);
    }

private:
    NameServiceLimits limits_;
};

}  // namespace

std::unique_ptr<NameService> SystemNameService(NameServiceLimits limits) {
    return std::make_unique<CLibraryNameService>(limits);
}

std::uint32_t LoggedOnUserId() { return static_cast<std::uint32_t>(::getuid()); }

}  // namespace vq
