#include "identity/net_groups.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace vq {

namespace {

// Room reserved at the start of each collection; not a limit.
constexpr std::size_t kReservedGroups = 100;

std::string ErrorMessage(std::int32_t code) {
    char text[48];
    std::snprintf(text, sizeof text, "Directory error 0x%08X", static_cast<unsigned>(code));
    return text;
}

std::u16string Path(std::u16string_view distinguished_name) {
    std::u16string path(kLdapPrefix);
    path += distinguished_name;  // used as it is: nothing is escaped
    return path;
}

// The values of "MemberOf", a single one as a list of one; empty when the object has none.
std::vector<DirectoryText> MemberOf(DirectoryObject& object) {
    DirectoryAnswer answer = object.Get(kMemberOf);
    if (answer.error != 0) return {};
    if (auto* single = std::get_if<DirectoryText>(&answer.value)) return {std::move(*single)};
    return std::move(std::get<std::vector<DirectoryText>>(answer.value));
}

bool IsLetter(char16_t c, char16_t upper) { return c == upper || c == upper + (u'a' - u'A'); }

}  // namespace

EDirectoryError::EDirectoryError(std::int32_t code) : Exception(ErrorMessage(code)), code_(code) {}

std::u16string GetLongUserNameString(IdentityPlatform& platform, NameFormat format) {
    return platform.GetUserNameExW(format, kLongUserNameCapacity).value_or(std::u16string());
}

std::unique_ptr<DirectoryObject> GetDirectoryObject(IdentityPlatform& platform,
                                                    std::u16string_view path) {
    DirectoryBinding binding = platform.BindToObject(path);
    if (!binding.object) throw EDirectoryError(binding.error);
    return std::move(binding.object);
}

std::optional<std::u16string> CommonName(std::u16string_view distinguished_name) {
    const std::u16string_view dn = distinguished_name;
    std::size_t start = std::u16string_view::npos;
    for (std::size_t i = 0; i + 3 <= dn.size(); ++i) {
        if (IsLetter(dn[i], u'C') && IsLetter(dn[i + 1], u'N') && dn[i + 2] == u'=') {
            start = i + 3;
            break;
        }
    }
    if (start == std::u16string_view::npos) return std::nullopt;

    std::u16string name;
    for (std::size_t i = start; i < dn.size(); ++i) {
        if (dn[i] == u'\\') {
            // The escaped character is taken as it is; a backslash at the very end has none.
            if (++i < dn.size()) name += dn[i];
        } else if (dn[i] == u',') {
            break;
        } else {
            name += dn[i];
        }
    }
    return name;
}

TNetGroups::TNetGroups(IdentityPlatform& platform, const TextCollation& collation)
    : platform_(platform), groups_(collation) {}

void TNetGroups::GetNetworkGroups() { Collect(false); }

void TNetGroups::GetNestedNetworkGroups() { Collect(true); }

void TNetGroups::Collect(bool nested) {
    groups_.Clear();
    groups_.Reserve(kReservedGroups);
    const std::u16string dn = GetLongUserNameString(platform_, NameFormat::FullyQualifiedDN);
    if (!dn.empty()) ReadMemberships(dn, nested);
    ReplaceByCommonNames();
}

// Reads the memberships of the user, and with nested those of every group newly found, depth
// first. An explicit stack of the lists being read stands in for recursion, so a deep chain of
// groups cannot exhaust the thread's stack.
void TNetGroups::ReadMemberships(std::u16string_view distinguished_name, bool nested) {
    std::unique_ptr<DirectoryObject> user;
    try {
        user = GetDirectoryObject(platform_, Path(distinguished_name));
    } catch (...) {
        groups_.Clear();  // the user's own object could not be bound
        return;
    }

    struct List {
        std::vector<DirectoryText> values;
        std::size_t next = 0;
    };
    std::vector<List> lists;
    try {
        // An object without "MemberOf" ends its own reading quietly.
        lists.push_back({MemberOf(*user), 0});
        while (!lists.empty()) {
            List& list = lists.back();
            if (list.next == list.values.size()) {
                lists.pop_back();
                continue;
            }
            const DirectoryText& value = list.values[list.next++];
            if (value.error != 0) {  // a value that is no text ends its list; the rest stay
                lists.pop_back();
                continue;
            }
            if (!groups_.Add(value.text) || !nested) continue;

            // A group that cannot be bound ends the reading of the list that named it.
            DirectoryBinding binding = platform_.BindToObject(Path(value.text));
            if (!binding.object) {
                lists.pop_back();
                continue;
            }
            lists.push_back({MemberOf(*binding.object), 0});
        }
    } catch (...) {
        // A failure while reading ends the reading; the groups found so far stay.
    }
}

// Every distinguished name becomes its common name, taken in the order of the sorted names and
// inserted into the sorted list again: of names equal regardless of case the first one stays.
void TNetGroups::ReplaceByCommonNames() {
    std::vector<std::u16string> names;
    names.reserve(groups_.Count());
    for (const auto& dn : groups_.Strings())
        if (auto name = CommonName(dn)) names.push_back(std::move(*name));
    groups_.Clear();
    for (auto& name : names) groups_.Add(std::move(name));
}

}  // namespace vq
