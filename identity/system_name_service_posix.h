#pragma once
// The name service of this system through the C library (getpwuid_r, getgrouplist, getgrgid_r),
// which asks whatever nsswitch.conf names: the local files, SSSD, winbind.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "identity/name_service.h"

namespace vq {

// A hostile or broken name service must not make us allocate without end: an entry's text may
// take up to entry_bytes bytes, a user up to groups groups (Linux's NGROUPS_MAX); an entry or
// a list beyond them is no answer.
struct NameServiceLimits {
    std::size_t entry_bytes = 1024 * 1024;
    std::size_t groups = 65536;
};

std::unique_ptr<NameService> SystemNameService(NameServiceLimits limits = {});

// The real user id of this process: the logged-on user the identity is about.
std::uint32_t LoggedOnUserId();

}  // namespace vq
