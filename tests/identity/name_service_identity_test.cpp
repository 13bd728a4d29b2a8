#include "identity/name_service_identity.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/ansi_code_page.h"
#include "formats/memory_registry.h"
#include "formats/value_list.h"

namespace vq {
namespace {

constexpr std::uint32_t kUserId = 50001;
constexpr std::uint32_t kPrimaryGroup = 50000;

// Answers from its tables; an absent entry is an entry the name service does not have.
class FakeNameService final : public NameService {
public:
    std::optional<NameServiceUser> UserById(std::uint32_t user_id) override {
        if (raises) throw std::runtime_error("name service");
        if (user && user_id == kUserId) return user;
        return std::nullopt;
    }
    std::optional<std::vector<std::uint32_t>> GroupIdsOf(std::string_view user_name,
                                                         std::uint32_t primary_group) override {
        asked_groups_of.emplace_back(user_name);
        if (!user || primary_group != user->primary_group) return std::nullopt;
        return group_ids;
    }
    std::optional<std::string> GroupNameById(std::uint32_t group_id) override {
        const auto found = groups.find(group_id);
        if (found == groups.end()) return std::nullopt;
        return found->second;
    }

    // Gives the user these groups in this order, the primary one first as getgrouplist does.
    void SetGroups(const std::vector<std::string>& names) {
        group_ids = std::vector<std::uint32_t>{kPrimaryGroup};
        groups[kPrimaryGroup] = "domain users@corp.example";
        std::uint32_t id = 60000;
        for (const auto& name : names) {
            group_ids->push_back(id);
            groups[id++] = name;
        }
    }

    std::optional<NameServiceUser> user =
        NameServiceUser{"alice@corp.example", "Alice Liddell,Room 1,,", kPrimaryGroup};
    std::optional<std::vector<std::uint32_t>> group_ids;
    std::map<std::uint32_t, std::string> groups;
    std::vector<std::string> asked_groups_of;
    bool raises = false;
};

class FixedDomainName final : public DomainNameSource {
public:
    explicit FixedDomainName(std::u16string name) : name_(std::move(name)) {}
    std::u16string ShortDomainName() noexcept override {
        ++asked;
        return name_;
    }
    int asked = 0;

private:
    std::u16string name_;
};

struct Identity {
    FakeNameService names;
    FixedDomainName domain{u"corp"};
    NameServiceIdentity identity{names, domain, kUserId};
};

TEST(NameServiceIdentityTest, SplitsTheNameServicesForms) {
    using Form = QualifiedName::Form;
    const std::vector<std::pair<std::u16string, QualifiedName>> cases = {
        {u"alice@corp.example", {Form::Realm, u"corp.example", u"alice"}},
        {u"a@b@corp.example", {Form::Realm, u"corp.example", u"a@b"}},  // the realm has no '@'
        {u"CORP\\alice", {Form::Domain, u"CORP", u"alice"}},
        {u"CORP\\a\\b", {Form::Domain, u"CORP", u"a\\b"}},  // a NetBIOS name has no '\'
        {u"CORP\\a@b.example", {Form::Domain, u"CORP", u"a@b.example"}},
        {u"alice", {Form::Plain, u"", u"alice"}},
        {u"@corp.example", {Form::Plain, u"", u"@corp.example"}},
        {u"alice@", {Form::Plain, u"", u"alice@"}},
        {u"\\alice", {Form::Plain, u"", u"\\alice"}},
        {u"CORP\\", {Form::Plain, u"", u"CORP\\"}},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        EXPECT_EQ(SplitQualifiedName(text), expected);
    }
}

TEST(NameServiceIdentityTest, UserNameInEveryForm) {
    struct Case {
        const char* name;
        std::string account;
        std::u16string short_name;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"SSSD's full name takes the short name, not the realm", "alice@corp.example", u"corp",
         u"CORP\\alice"},
        {"the user part keeps its letter case", "Alice.L@Corp.Example", u"CORP", u"CORP\\Alice.L"},
        {"winbind's prefix is the account's own domain", "Trusted\\bob", u"CORP", u"TRUSTED\\bob"},
        {"a short name is the domain's when a short name is known", "carol", u"Corp",
         u"CORP\\carol"},
        {"no short name: no domain account to give", "alice@corp.example", u"", u""},
        {"no short name for a plain name either", "carol", u"", u""},
        {"249 characters fit Windows' buffer", "CORP\\" + std::string(244, 'u'), u"",
         u"CORP\\" + std::u16string(244, u'u')},
        {"250 do not", "CORP\\" + std::string(245, 'u'), u"", u""},
        {"invalid UTF-8 becomes the replacement character", "al\xFF\xC3@corp.example", u"CORP",
         u"CORP\\al\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNameService names;
        names.user->name = c.account;
        FixedDomainName domain(c.short_name);
        NameServiceIdentity identity(names, domain, kUserId);
        EXPECT_EQ(identity.UserName(), c.expected);
    }
}

TEST(NameServiceIdentityTest, WinbindsPrefixNeedsNoSource) {
    Identity id;
    id.names.user->name = "CORP\\bob";
    EXPECT_EQ(id.identity.UserName(), u"CORP\\bob");
    EXPECT_EQ(id.domain.asked, 0);
}

TEST(NameServiceIdentityTest, DomainGroupsSortedAndDeduplicated) {
    struct Case {
        const char* name;
        std::vector<std::string> groups;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"sorted by group name, every line with CR LF",
         {"vpn users@corp.example", "Staff@corp.example"},
         u"CORP\\Staff\r\nCORP\\vpn users\r\n"},
        {"local groups and the primary group are left out",
         {"sudo", "alice", "Staff@corp.example", "plugdev"},
         u"CORP\\Staff\r\n"},
        {"winbind's form counts too, with the account's domain on the line",
         {"CORP\\Sales", "OTHER\\Audit"},
         u"CORP\\Audit\r\nCORP\\Sales\r\n"},
        // "STAFF@corp.example" sorts before "staff@sub.corp.example", so its spelling stays.
        {"the same group name in two domains is one line",
         {"staff@sub.corp.example", "STAFF@corp.example", "Staff@corp.example"},
         u"CORP\\STAFF\r\n"},
        {"none of the domain's: empty text", {"sudo", "users"}, u""},
        {"a non-ASCII name, and invalid UTF-8 that must not stop the rest",
         {"\xD0\x9E\xD1\x82\xD0\xB4\xD0\xB5\xD0\xBB@corp.example", "bad\xE2\x82@corp.example"},
         u"CORP\\bad\uFFFD\r\nCORP\\\u041E\u0442\u0434\u0435\u043B\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Identity id;
        id.names.SetGroups(c.groups);
        EXPECT_EQ(id.identity.GroupsText(), c.expected);
        EXPECT_EQ(id.names.asked_groups_of, std::vector<std::string>{"alice@corp.example"});
    }
}

TEST(NameServiceIdentityTest, GroupsEmptyWhenTheyCannotBeHad) {
    struct Case {
        const char* name;
        std::string account;
        std::u16string short_name;
        bool list_fails;
    };
    const std::vector<Case> cases = {
        {"getgrouplist fails", "alice@corp.example", u"CORP", true},
        {"no short name", "alice@corp.example", u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNameService names;
        names.user->name = c.account;
        names.SetGroups({"Staff@corp.example"});
        if (c.list_fails) names.group_ids.reset();
        FixedDomainName domain(c.short_name);
        NameServiceIdentity identity(names, domain, kUserId);
        EXPECT_EQ(identity.GroupsText(), u"");
    }
}

TEST(NameServiceIdentityTest, DisplayNameFromGecos) {
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"Alice Liddell,Room 1,555-0100,", u"Alice Liddell"},
        {"Alice Liddell", u"Alice Liddell"},
        {",Room 1", u""},
        {"", u""},
        {"\xD0\x90\xD0\xBB\xD0\xB8\xD1\x81\xD0\xB0", u"\u0410\u043B\u0438\u0441\u0430"},
        {"\xFF\xFE,x", u"\uFFFD\uFFFD"},
        {std::string(250, 'n'), u""},
    };
    for (const auto& [gecos, expected] : cases) {
        SCOPED_TRACE(gecos);
        Identity id;
        id.names.user->gecos = gecos;
        EXPECT_EQ(id.identity.DisplayName(), expected);
    }
}

class NameServiceNeedDataTest : public ::testing::Test {
protected:
    std::string Request(Identity& id) {
        TValueList values(Windows1251CodePage(), registry);
        id.identity.HandleAuthNeedData(values);
        return values.GetURLEncodedINI();
    }
    MemoryRegistry registry;
};

TEST_F(NameServiceNeedDataTest, TheThreeEntriesInOrder) {
    Identity id;
    id.names.SetGroups({"vpn users@corp.example", "Staff@corp.example", "sudo"});
    EXPECT_EQ(Request(id),
              "username=CORP%5Calice\r\n"
              "groups=CORP%5CStaff%0D%0ACORP%5Cvpn+users%0D%0A\r\n"
              "dname=Alice+Liddell\r\n");
    EXPECT_EQ(id.domain.asked, 1);  // one lookup serves the three entries
}

TEST_F(NameServiceNeedDataTest, FailuresGiveEmptyValues) {
    struct Case {
        const char* name;
        void (*setup)(Identity&);
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no such account", [](Identity& id) { id.names.user.reset(); },
         "username=\r\ngroups=\r\ndname=\r\n"},
        {"the name service raises", [](Identity& id) { id.names.raises = true; },
         "username=\r\ngroups=\r\ndname=\r\n"},
        {"no short name: the full name still goes",
         [](Identity& id) { id.domain = FixedDomainName(u""); },
         "username=\r\ngroups=\r\ndname=Alice+Liddell\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Identity id;
        id.names.SetGroups({"Staff@corp.example"});
        c.setup(id);
        EXPECT_EQ(Request(id), c.expected);
    }
}

TEST(NameServiceIdentityTest, HeaderNameFallsBackToTheAccount) {
    struct Case {
        const char* name;
        std::string account;
        std::string gecos;
        std::u16string short_name;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"the full name", "alice@corp.example", "Alice Liddell,,", u"CORP", u"Alice Liddell"},
        {"no full name: DOMAIN\\user", "alice@corp.example", "", u"corp", u"CORP\\alice"},
        {"no domain either: the name as given", "carol", "", u"", u"carol"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNameService names;
        names.user = NameServiceUser{c.account, c.gecos, kPrimaryGroup};
        FixedDomainName domain(c.short_name);
        NameServiceIdentity identity(names, domain, kUserId);
        EXPECT_EQ(identity.HeaderUserName(), c.expected);
    }
    FakeNameService missing;
    missing.user.reset();
    FixedDomainName domain(u"CORP");
    EXPECT_EQ(NameServiceIdentity(missing, domain, kUserId).HeaderUserName(), u"");
}

}  // namespace
}  // namespace vq
