#pragma once
// TNetGroups: the names of the directory groups the logged-on user belongs to, read from the
// "MemberOf" attribute of the user's directory object through the LDAP provider.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "formats/errors.h"
#include "identity/identity_platform.h"
#include "identity/sorted_text_list.h"
#include "identity/text_collation.h"

namespace vq {

// GetLongUserNameString's buffer, in characters: room for a long distinguished name.
inline constexpr std::size_t kLongUserNameCapacity = 1024;
inline constexpr std::u16string_view kLdapPrefix = u"LDAP://";
inline constexpr std::u16string_view kMemberOf = u"MemberOf";

// A directory step that failed, with its HRESULT.
class EDirectoryError : public Exception {
public:
    explicit EDirectoryError(std::int32_t code);
    std::int32_t Code() const { return code_; }

private:
    std::int32_t code_;
};

// The logged-on user's name in that format, up to 1023 characters; empty text when the
// account-name service fails.
std::u16string GetLongUserNameString(IdentityPlatform& platform, NameFormat format);

// Binds path ("LDAP://" + distinguished name) through a fresh bind context; a failing step
// raises EDirectoryError with its code.
std::unique_ptr<DirectoryObject> GetDirectoryObject(IdentityPlatform& platform,
                                                    std::u16string_view path);

// The common name in a distinguished name: the text after the first "CN=" (in any letter case)
// up to the first comma that is not escaped. A backslash escapes the character after it, which
// is copied as it is ("\," gives a comma, "\\" one backslash); hexadecimal escapes are left
// alone ("\2C" gives "2C"). nullopt when there is no "CN=".
std::optional<std::u16string> CommonName(std::u16string_view distinguished_name);

class TNetGroups {
public:
    explicit TNetGroups(IdentityPlatform& platform,
                        const TextCollation& collation = LocaleCollation());

    // The common names collected by the last call below, in the locale's case-insensitive
    // order, each name once regardless of case.
    const SortedTextList& Groups() const { return groups_; }

    // The groups the user is a direct member of. A user without a distinguished name (not a
    // domain account, no directory contact) makes no directory request; a user object that
    // cannot be bound leaves no groups; a failure while reading the memberships keeps the
    // groups read before it.
    void GetNetworkGroups();
    // The same with the groups of those groups, depth first; each group is read once, so
    // cycles end.
    void GetNestedNetworkGroups();

private:
    void Collect(bool nested);
    void ReadMemberships(std::u16string_view distinguished_name, bool nested);
    void ReplaceByCommonNames();

    IdentityPlatform& platform_;
    SortedTextList groups_;
};

}  // namespace vq
