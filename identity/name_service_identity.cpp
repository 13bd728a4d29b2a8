#include "identity/name_service_identity.h"

#include <optional>
#include <utility>

#include "formats/upper_case.h"
#include "formats/utf8.h"
#include "identity/credential_entry.h"
#include "identity/sorted_text_list.h"
#include "identity/user_identity.h"

namespace vq {

// The account as the name service gives it, with the short name of its domain (upper case;
// empty when the account is not recognisably the domain's or no short name is known).
struct NameServiceIdentity::Account {
    NameServiceUser user;
    std::u16string name;  // the account name as given, in UTF-16
    std::u16string domain;
};

namespace {

// Windows reads the user's names through a buffer of kUserNameCapacity characters, its NUL
// included; a longer name is not sent, and the server never sees one.
std::u16string WithinUserNameCapacity(std::u16string text) {
    if (text.size() >= kUserNameCapacity) text.clear();
    return text;
}

std::u16string FullNameOf(const NameServiceUser& user) {
    const std::string_view gecos = user.gecos;
    return WithinUserNameCapacity(Utf8ToUtf16(gecos.substr(0, gecos.find(','))));
}

}  // namespace

QualifiedName SplitQualifiedName(std::u16string_view text) {
    // A NetBIOS name holds no backslash, so the first one ends the domain.
    if (const auto slash = text.find(u'\\'); slash != std::u16string_view::npos) {
        if (slash > 0 && slash + 1 < text.size())
            return {QualifiedName::Form::Domain, text.substr(0, slash), text.substr(slash + 1)};
        return {QualifiedName::Form::Plain, {}, text};
    }
    // A realm holds no '@', so the last one begins it.
    if (const auto at = text.rfind(u'@'); at != std::u16string_view::npos) {
        if (at > 0 && at + 1 < text.size())
            return {QualifiedName::Form::Realm, text.substr(at + 1), text.substr(0, at)};
    }
    return {QualifiedName::Form::Plain, {}, text};
}

NameServiceIdentity::NameServiceIdentity(NameService& names, DomainNameSource& domain,
                                         std::uint32_t user_id, const TextCollation& collation)
    : names_(&names), domain_(&domain), user_id_(user_id), collation_(&collation) {}

std::optional<NameServiceIdentity::Account> NameServiceIdentity::LookUpAccount() {
    auto user = names_->UserById(user_id_);
    if (!user) return std::nullopt;
    Account account{std::move(*user), {}, {}};
    account.name = Utf8ToUtf16(account.user.name);
    const QualifiedName parts = SplitQualifiedName(account.name);
    // winbind's prefix is the short name of the domain that holds the account, as the account
    // lookup gives it on Windows; the other forms ask the source.
    account.domain =
        UpperCase(parts.form == QualifiedName::Form::Domain ? std::u16string(parts.qualifier)
                                                            : domain_->ShortDomainName());
    return account;
}

std::u16string NameServiceIdentity::UserNameOf(const Account& account) const {
    if (account.domain.empty()) return {};
    return WithinUserNameCapacity(account.domain + u"\\" +
                                  std::u16string(SplitQualifiedName(account.name).name));
}

std::u16string NameServiceIdentity::GroupsTextOf(const Account& account) {
    if (account.domain.empty()) return {};
    const auto ids = names_->GroupIdsOf(account.user.name, account.user.primary_group);
    if (!ids) return {};

    // As on Windows: the full names sorted and de-duplicated first, then their group parts put
    // through the same insertion, so the first spelling in the sorted order stays.
    SortedTextList qualified(*collation_);
    for (const std::uint32_t id : *ids) {
        if (id == account.user.primary_group) continue;
        const auto name = names_->GroupNameById(id);
        if (!name) continue;
        std::u16string text = Utf8ToUtf16(*name);
        if (SplitQualifiedName(text).form == QualifiedName::Form::Plain) continue;
        qualified.Add(std::move(text));
    }
    SortedTextList groups(*collation_);
    groups.Reserve(qualified.Count());
    for (const auto& text : qualified.Strings())
        groups.Add(std::u16string(SplitQualifiedName(text).name));

    // Every line has the account's domain, as on Windows, whichever domain holds the group.
    std::u16string lines;
    for (const auto& group : groups.Strings()) lines += account.domain + u"\\" + group + u"\r\n";
    return lines;
}

std::u16string NameServiceIdentity::UserName() {
    const auto account = LookUpAccount();
    return account ? UserNameOf(*account) : std::u16string();
}

std::u16string NameServiceIdentity::GroupsText() {
    const auto account = LookUpAccount();
    return account ? GroupsTextOf(*account) : std::u16string();
}

std::u16string NameServiceIdentity::DisplayName() {
    const auto user = names_->UserById(user_id_);
    return user ? FullNameOf(*user) : std::u16string();
}

void NameServiceIdentity::HandleAuthNeedData(TValueList& values) noexcept {
    // One lookup serves the three entries, so they describe one account.
    std::optional<Account> account;
    try {
        account = LookUpAccount();
    } catch (...) {
        account.reset();
    }
    SetCredentialEntry(values, kUserNameEntry,
                       [&] { return account ? UserNameOf(*account) : std::u16string(); });
    SetCredentialEntry(values, kGroupsEntry,
                       [&] { return account ? GroupsTextOf(*account) : std::u16string(); });
    SetCredentialEntry(values, kDisplayNameEntry,
                       [&] { return account ? FullNameOf(account->user) : std::u16string(); });
}

std::u16string NameServiceIdentity::HeaderUserName() noexcept {
    try {
        const auto user = names_->UserById(user_id_);
        if (!user) return {};
        if (std::u16string name = FullNameOf(*user); !name.empty()) return name;
        const auto account = LookUpAccount();
        if (!account) return {};
        if (std::u16string name = UserNameOf(*account); !name.empty()) return name;
        return account->name;
    } catch (...) {
        return {};
    }
}

}  // namespace vq
