#include "identity/user_identity.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "formats/ansi_code_page.h"
#include "formats/errors.h"
#include "formats/memory_registry.h"
#include "formats/value_list.h"
#include "tests/identity/fake_identity_platform.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using test::FakeIdentityPlatform;
using test::Text;
using Texts = std::vector<std::u16string>;
using Arrange = std::function<void(FakeIdentityPlatform&)>;

constexpr char16_t kUserPath[] = u"LDAP://CN=Ivanov Ivan,OU=Users,DC=domain,DC=local";

// The user 'DOMAIN\ivanov', display name 'Ivanov Ivan', in the groups 'VPN Users' and 'Staff'.
void DomainUser(FakeIdentityPlatform& platform) {
    platform.names = {{NameFormat::SamCompatible, u"DOMAIN\\ivanov"},
                      {NameFormat::Display, u"Ivanov Ivan"},
                      {NameFormat::FullyQualifiedDN, kUserPath + 7}};
    platform.account = AccountName{u"ivanov", u"DOMAIN"};
    platform.directory = {
        {kUserPath, test::Many({Text(u"CN=VPN Users,OU=Groups,DC=domain,DC=local"),
                                Text(u"CN=Staff,OU=Groups,DC=domain,DC=local")})}};
}

class UserIdentityTest : public ::testing::Test {
protected:
    MemoryRegistry registry;
    TValueList values{Windows1251CodePage(), registry};
};

TEST_F(UserIdentityTest, NeedDataRequestOfTheDomainUser) {
    FakeIdentityPlatform platform;
    DomainUser(platform);
    HandleAuthNeedData(platform, values);
    EXPECT_EQ(values.GetURLEncodedINI(),
              "username=DOMAIN%5Civanov\r\n"
              "groups=DOMAIN%5CStaff%0D%0ADOMAIN%5CVPN+Users%0D%0A\r\n"
              "dname=Ivanov+Ivan\r\n");
    EXPECT_EQ(platform.bound, Texts{kUserPath});
    const std::vector<std::pair<NameFormat, std::size_t>> requests = {
        {NameFormat::SamCompatible, kUserNameCapacity},
        {NameFormat::FullyQualifiedDN, 1024},
        {NameFormat::Display, kUserNameCapacity},
    };
    EXPECT_EQ(platform.name_requests, requests);
}

TEST_F(UserIdentityTest, NeedDataAlwaysGivesTheThreeEntries) {
    struct Case {
        const char* name;
        Arrange setup;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"nothing answers", [](FakeIdentityPlatform& p) { p.account.reset(); },
         "username=\r\ngroups=\r\ndname=\r\n"},
        {"the name service raises",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.names_raise = true;
         },
         "username=\r\ngroups=\r\ndname=\r\n"},
        {"the account lookup raises",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.lookup_raises = true;
         },
         "username=DOMAIN%5Civanov\r\ngroups=\r\ndname=Ivanov+Ivan\r\n"},
        {"a local account without directory names",
         [](FakeIdentityPlatform& p) {
             p.names = {{NameFormat::SamCompatible, u"PC\\user"}};
             p.account = AccountName{u"user", u"PC"};
         },
         "username=PC%5Cuser\r\ngroups=\r\ndname=\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        c.setup(platform);
        TValueList request(Windows1251CodePage(), registry);
        HandleAuthNeedData(platform, request);
        EXPECT_EQ(request.GetURLEncodedINI(), c.text);
    }
}

TEST(UserGroupLinesTest, LinesOfTheAccountsDomainAndGroups) {
    struct Case {
        const char* name;
        Arrange setup;
        std::u16string text;
        bool directory_asked;
    };
    const std::vector<Case> cases = {
        {"sorted common names, the first spelling of a name stays",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.account = AccountName{u"ivanov", u"DOM"};
             p.directory[kUserPath] =
                 test::Many({Text(u"CN=b,DC=x"), Text(u"CN=A,DC=x"), Text(u"CN=B,OU=y,DC=x")});
         },
         u"DOM\\A\r\nDOM\\b\r\n", true},
        {"a single MemberOf value",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.directory[kUserPath] = test::Single(u"CN=Staff,DC=x");
         },
         u"DOMAIN\\Staff\r\n", true},
        {"the prefix is the lookup's domain, not the name's or the DNS domain",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.names[NameFormat::SamCompatible] = u"domain.local\\ivanov";
             p.account = AccountName{u"ivanov", u"CORP"};
         },
         u"CORP\\Staff\r\nCORP\\VPN Users\r\n", true},
        {"no distinguished name: no directory request",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.names.erase(NameFormat::FullyQualifiedDN);
         },
         u"", false},
        {"the account lookup fails though the directory would answer",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.account.reset();
         },
         u"", false},
        {"the user has no MemberOf",
         [](FakeIdentityPlatform& p) {
             DomainUser(p);
             p.directory[kUserPath] = test::NoMemberOf();
         },
         u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        c.setup(platform);
        EXPECT_EQ(GetUserGroupsText(platform), c.text);
        EXPECT_EQ(!platform.bound.empty(), c.directory_asked);

        // The lines are appended to what the list holds.
        LineList lines;
        lines.Add(u"before");
        GetUserGroupLines(platform, lines);
        EXPECT_EQ(lines.Text(), u"before\r\n" + c.text);
    }
}

TEST(TokenUserAccountTest, FollowsTheTokenOfTheThreadOrTheProcess) {
    struct Case {
        const char* name;
        Arrange setup;
        bool result;
        std::vector<std::string> opened;
        std::vector<std::string> information_calls;
    };
    using S = std::vector<std::string>;
    const std::vector<Case> cases = {
        {"the thread's own token", [](FakeIdentityPlatform& p) { p.thread_token_error = 0; }, true,
         S{"thread"}, S{"thread", "thread"}},
        {"no thread token: the process's", [](FakeIdentityPlatform&) {}, true, S{"process"},
         S{"process", "process"}},
        {"the thread token cannot be opened otherwise",
         [](FakeIdentityPlatform& p) { p.thread_token_error = test::kAccessDenied; }, false, S{},
         S{}},
        {"the process token cannot be opened",
         [](FakeIdentityPlatform& p) { p.process_token_error = test::kAccessDenied; }, false, S{},
         S{}},
        {"the size call succeeds", [](FakeIdentityPlatform& p) { p.size_call_succeeds = true; },
         false, S{"process"}, S{"process"}},
        {"the size call fails otherwise",
         [](FakeIdentityPlatform& p) { p.size_call_error = test::kAccessDenied; }, false,
         S{"process"}, S{"process"}},
        {"the information call fails", [](FakeIdentityPlatform& p) { p.information_fails = true; },
         false, S{"process"}, S{"process", "process"}},
        {"the lookup fails", [](FakeIdentityPlatform& p) { p.account.reset(); }, false,
         S{"process"}, S{"process", "process"}},
        {"the lookup raises", [](FakeIdentityPlatform& p) { p.lookup_raises = true; }, false,
         S{"process"}, S{"process", "process"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        platform.account = AccountName{u"ivanov", u"DOMAIN"};
        c.setup(platform);
        std::u16string name = u"old name";
        std::u16string domain = u"old domain";
        EXPECT_EQ(GetTokenUserAccount(platform, name, domain), c.result);
        EXPECT_EQ(platform.opened, c.opened);
        EXPECT_EQ(platform.information_tokens, c.information_calls);
        if (c.result) {
            EXPECT_EQ(name, u"ivanov");
            EXPECT_EQ(domain, u"DOMAIN");
            EXPECT_EQ(platform.lookup_capacity, kAccountNameCapacity);
        } else {
            EXPECT_EQ(name, u"old name");
            EXPECT_EQ(domain, u"old domain");
        }
    }
}

TEST(UserNameStringTest, NamesLongerThanTheBufferAreEmpty) {
    struct Case {
        const char* name;
        std::size_t length;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"249 characters and the NUL fit", kUserNameCapacity - 1, true},
        {"250 characters do not", kUserNameCapacity, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        const std::u16string name(c.length, u'n');
        platform.names[NameFormat::Display] = name;
        EXPECT_EQ(GetUserNameString(platform, NameFormat::Display), c.kept ? name : u"");
        EXPECT_EQ(GetUserNameString(platform, NameFormat::SamCompatible), u"");  // fails
        EXPECT_EQ(platform.name_requests.front().second, kUserNameCapacity);
    }
}

TEST(TcpipDomainTest, ReadsTheStringValueDomain) {
    constexpr char16_t kKey[] = u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    struct Case {
        const char* name;
        RegistryRoot root;
        std::u16string value_name;
        RegistryValue value;
        std::u16string domain;
    };
    const std::vector<Case> cases = {
        {"a string",
         RegistryRoot::LocalMachine,
         u"Domain",
         {RegistryValueType::String, u"domain.local"},
         u"domain.local"},
        {"an expandable string, unexpanded",
         RegistryRoot::LocalMachine,
         u"domain",
         {RegistryValueType::ExpandString, u"%USERDNSDOMAIN%"},
         u"%USERDNSDOMAIN%"},
        {"no value Domain",
         RegistryRoot::LocalMachine,
         u"NV Domain",
         {RegistryValueType::String, u"domain.local"},
         u""},
        {"the key only in the user's hive",
         RegistryRoot::CurrentUser,
         u"Domain",
         {RegistryValueType::String, u"domain.local"},
         u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        registry.SetValue(c.root, kKey, c.value_name, c.value);
        EXPECT_EQ(GetTcpipDomain(registry), c.domain);
    }

    MemoryRegistry absent;
    EXPECT_EQ(GetTcpipDomain(absent), u"");
}

TEST(TcpipDomainTest, AValueOfAnotherTypeRaises) {
    MemoryRegistry registry;
    registry.SetValue(RegistryRoot::LocalMachine, kTcpipParametersKey, u"Domain",
                      {RegistryValueType::DWord, u""});
    EXPECT_THAT([&] { return GetTcpipDomain(registry); },
                test::ThrowsWithMessage<Exception>("Invalid data type for 'Domain'"));
}

}  // namespace
}  // namespace vq
