#include "identity/user_identity.h"

#include <cstddef>
#include <vector>

#include "formats/errors.h"
#include "identity/credential_entry.h"
#include "identity/net_groups.h"

namespace vq {

std::u16string GetUserNameString(IdentityPlatform& platform, NameFormat format) {
    return platform.GetUserNameExW(format, kUserNameCapacity).value_or(std::u16string());
}

std::u16string GetTcpipDomain(Registry& registry) {
    return ReadRegistryString(registry, RegistryRoot::LocalMachine, kTcpipParametersKey,
                              kTcpipDomainValue);
}

bool GetTokenUserAccount(IdentityPlatform& platform, std::u16string& name, std::u16string& domain) {
    try {
        // The thread's own token when it impersonates, else the process's.
        TokenOpening opening = platform.OpenThreadToken();
        if (!opening.token) {
            if (opening.error != kErrorNoToken) return false;
            opening = platform.OpenProcessToken();
            if (!opening.token) return false;
        }

        // The size first: the call without a buffer must fail for want of one.
        const TokenInformation size = platform.GetTokenInformation(*opening.token, {});
        if (size.succeeded || size.error != kErrorInsufficientBuffer) return false;
        std::vector<std::byte> token_user(size.length);
        if (!platform.GetTokenInformation(*opening.token, token_user).succeeded) return false;

        auto account = platform.LookupAccountSidW(token_user, kAccountNameCapacity);
        if (!account) return false;
        name = std::move(account->name);
        domain = std::move(account->domain);
        return true;
    } catch (...) {
        return false;
    }
}

void GetUserGroupLines(IdentityPlatform& platform, LineList& lines,
                       const TextCollation& collation) {
    std::u16string name;
    std::u16string domain;
    if (!GetTokenUserAccount(platform, name, domain)) return;

    // A fresh list and a fresh binding for every call: nothing is cached.
    TNetGroups groups(platform, collation);
    try {
        groups.GetNetworkGroups();
    } catch (...) {
        // Whatever was collected stays.
    }
    // The prefix is the domain of the account lookup, not the workstation's DNS domain.
    for (const auto& group : groups.Groups().Strings()) lines.Add(domain + u"\\" + group);
}

std::u16string GetUserGroupsText(IdentityPlatform& platform, const TextCollation& collation) {
    LineList lines;
    GetUserGroupLines(platform, lines, collation);
    return lines.Text();
}

void HandleAuthNeedData(IdentityPlatform& platform, TValueList& values,
                        const TextCollation& collation) noexcept {
    SetCredentialEntry(values, kUserNameEntry,
                       [&] { return GetUserNameString(platform, NameFormat::SamCompatible); });
    SetCredentialEntry(values, kGroupsEntry,
                       [&] { return GetUserGroupsText(platform, collation); });
    SetCredentialEntry(values, kDisplayNameEntry,
                       [&] { return GetUserNameString(platform, NameFormat::Display); });
}

}  // namespace vq
