#pragma once
// The user's identity on a system joined to the domain through SSSD or winbind, read from the
// name service and put in the shapes Windows gives the access server: "DOMAIN\user", one
// "DOMAIN\group" line per domain group, the display name.
//
// The name service spells a domain name in one of three ways: "user@corp.example" (SSSD with
// fully qualified names; the realm only marks the name as the domain's, it is not the short
// name), "CORP\user" (winbind; the prefix is the short name of the domain holding the account)
// or plain "user" (SSSD short names, winbind's default domain, or a local account: they cannot
// be told apart by name). The short name of the first and the last form comes from a
// DomainNameSource; without one there is no "DOMAIN\user" to give.
//
// Groups: only qualified names ("group@realm", "DOM\group") count as the domain's; plain names
// (local groups such as "sudo", and every group where the name service gives short names) are
// left out, and so is the user's primary group, which Windows does not list among the user's
// memberships either ("Domain Users" on a domain account). Nested groups cannot be told from
// direct ones here: the name service lists both.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/value_list.h"
#include "identity/domain_name_source.h"
#include "identity/name_service.h"
#include "identity/text_collation.h"

namespace vq {

// How a name of the name service is qualified, and its parts.
struct QualifiedName {
    enum class Form { Plain, Realm, Domain };
    Form form = Form::Plain;
    std::u16string_view qualifier;  // the realm or the domain's short name; empty when plain
    std::u16string_view name;       // the user or group part, as given

    friend bool operator==(const QualifiedName&, const QualifiedName&) = default;
};

// "user@realm" (split at the last '@'), "DOM\user" (split at the first '\'), else plain; a form
// with an empty part on either side counts as plain.
QualifiedName SplitQualifiedName(std::u16string_view text);

class NameServiceIdentity {
public:
    // user_id is the account asked about (the logged-on user: LoggedOnUserId()). Every object
    // given must outlive this one; nothing is cached, every call asks the name service afresh.
    NameServiceIdentity(NameService& names, DomainNameSource& domain, std::uint32_t user_id,
                        const TextCollation& collation = LocaleCollation());

    // "DOMAIN\user" with the short name upper-cased and the user part as given; empty text for
    // an unknown account, an unknown short name, or a name longer than Windows' 249 characters.
    std::u16string UserName();
    // The domain group lines as GetUserGroupsText gives them on Windows: "DOMAIN\group", sorted
    // and de-duplicated by common name in the collation, each followed by CR LF.
    std::u16string GroupsText();
    // The GECOS field up to its first comma (the full name); empty text when there is none.
    std::u16string DisplayName();

    // The answer to WM_AUTH_NEED_DATA, as HandleAuthNeedData gives it on Windows: "username",
    // "groups", "dname" in this order, each empty text when it cannot be had.
    void HandleAuthNeedData(TValueList& values) noexcept;
    // The monitor window's header: the display name, else "DOMAIN\user", else the account name
    // as the name service gives it, so the header of a known account is never blank.
    std::u16string HeaderUserName() noexcept;

private:
    struct Account;
    std::optional<Account> LookUpAccount();
    std::u16string UserNameOf(const Account& account) const;
    std::u16string GroupsTextOf(const Account& account);

    NameService* names_;
    DomainNameSource* domain_;
    std::uint32_t user_id_;
    const TextCollation* collation_;
};

}  // namespace vq
