#pragma once
// The name the monitor window's header shows at start-up: the user's display name, or the
// SAM-compatible account name for an account that has none (a local account, or a system whose
// account-name service cannot give display names), so the header is never blank.

#include <string>

#include "identity/identity_platform.h"

namespace vq {

std::u16string HeaderUserName(IdentityPlatform& platform);

}  // namespace vq
