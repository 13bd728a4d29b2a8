#include "ui/header_name.h"

#include "identity/user_identity.h"

namespace vq {

std::u16string HeaderUserName(IdentityPlatform& platform) {
    std::u16string name = GetUserNameString(platform, NameFormat::Display);
    if (name.empty()) name = GetUserNameString(platform, NameFormat::SamCompatible);
    return name;
}

}  // namespace vq
