#include "identity/net_groups.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/identity/fake_identity_platform.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using test::FakeDirectoryEntry;
using test::FakeIdentityPlatform;
using Texts = std::vector<std::u16string>;
using Directory = std::map<std::u16string, FakeDirectoryEntry>;

constexpr char16_t kUserDn[] = u"CN=Ivanov Ivan,OU=Users,DC=x";
constexpr char16_t kUserPath[] = u"LDAP://CN=Ivanov Ivan,OU=Users,DC=x";

TEST(CommonNameTest, TakesTheTextAfterCnUpToTheFirstUnescapedComma) {
    struct Case {
        const char* name;
        std::u16string dn;
        std::optional<std::u16string> common_name;
    };
    const std::vector<Case> cases = {
        {"plain", u"CN=VPN Users,OU=Groups,DC=x", u"VPN Users"},
        {"lower-case cn, escaped comma", u"cn=Sales\\, North,OU=G,DC=x", u"Sales, North"},
        {"no CN", u"OU=Only,DC=x", std::nullopt},
        {"CN not first", u"OU=G,cN=Mixed,DC=x", u"Mixed"},
        {"escaped backslash", u"CN=a\\\\b,DC=x", u"a\\b"},
        {"hexadecimal escape left alone", u"CN=a\\2Cb,DC=x", u"a2Cb"},
        {"to the end", u"CN=Last", u"Last"},
        {"backslash at the very end", u"CN=Trail\\", u"Trail"},
        {"empty name", u"CN=,DC=x", u""},
        {"too short", u"CN", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommonName(c.dn), c.common_name);
    }
}

TEST(NetGroupsTest, DirectGroupsFromTheUsersMemberOf) {
    using test::BadText;
    using test::Many;
    using test::Single;
    using test::Text;
    struct Case {
        const char* name;
        Directory directory;
        Texts groups;
    };
    const std::vector<Case> cases = {
        // 'CN=b,DC=x' sorts before 'CN=B,OU=y,DC=x', so its spelling stays and 'B' is dropped.
        {"sorted, duplicates of the common name dropped",
         {{kUserPath, Many({Text(u"CN=b,DC=x"), Text(u"CN=A,DC=x"), Text(u"CN=B,OU=y,DC=x")})}},
         {u"A", u"b"}},
        {"a single value", {{kUserPath, Single(u"CN=VPN Users,OU=G,DC=x")}}, {u"VPN Users"}},
        {"a value without CN",
         {{kUserPath, Many({Text(u"OU=Only,DC=x"), Text(u"CN=Staff")})}},
         {u"Staff"}},
        {"escapes in common names",
         {{kUserPath, Many({Text(u"CN=Sales\\, North,DC=x"), Text(u"CN=a\\\\b,DC=x"),
                            Text(u"CN=c\\2Cd,DC=x")})}},
         {u"a\\b", u"c2Cd", u"Sales, North"}},
        {"duplicate distinguished names",
         {{kUserPath, Many({Text(u"CN=G"), Text(u"cn=g")})}},
         {u"G"}},
        {"no MemberOf", {{kUserPath, test::NoMemberOf()}}, {}},
        {"the user cannot be bound", {{kUserPath, test::Unbindable()}}, {}},
        {"a value that is no text keeps the values before it",
         {{kUserPath, Many({Text(u"CN=Z"), Text(u"CN=Y"), BadText(), Text(u"CN=X")})}},
         {u"Y", u"Z"}},
        {"an empty array", {{kUserPath, Many({})}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        platform.names[NameFormat::FullyQualifiedDN] = kUserDn;
        platform.directory = c.directory;
        TNetGroups groups(platform);
        groups.GetNetworkGroups();
        EXPECT_EQ(groups.Groups().Strings(), c.groups);
        EXPECT_EQ(platform.bound, Texts{kUserPath});
        ASSERT_FALSE(platform.name_requests.empty());
        EXPECT_EQ(platform.name_requests[0].first, NameFormat::FullyQualifiedDN);
        EXPECT_EQ(platform.name_requests[0].second, kLongUserNameCapacity);
    }
}

TEST(NetGroupsTest, NoDistinguishedNameMakesNoDirectoryRequest) {
    FakeIdentityPlatform platform;  // GetUserNameExW fails for every format
    platform.directory = {{u"LDAP://", test::Single(u"CN=Never")}};
    TNetGroups groups(platform);
    groups.GetNetworkGroups();
    EXPECT_TRUE(groups.Groups().Empty());
    EXPECT_TRUE(platform.bound.empty());
}

TEST(NetGroupsTest, EachCollectionStartsAfresh) {
    FakeIdentityPlatform platform;
    platform.names[NameFormat::FullyQualifiedDN] = kUserDn;
    platform.directory = {{kUserPath, test::Single(u"CN=Staff,DC=x")}};
    TNetGroups groups(platform);
    groups.GetNetworkGroups();
    EXPECT_EQ(groups.Groups().Strings(), Texts{u"Staff"});

    platform.directory[kUserPath] = test::Unbindable();
    groups.GetNetworkGroups();
    EXPECT_TRUE(groups.Groups().Empty());
}

TEST(NetGroupsTest, LongUserNameFitsInTheLongBuffer) {
    struct Case {
        const char* name;
        std::size_t length;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"1023 characters and the NUL fit", kLongUserNameCapacity - 1, true},
        {"1024 characters do not", kLongUserNameCapacity, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        const std::u16string dn = u"CN=" + std::u16string(c.length - 3, u'a');
        platform.names[NameFormat::FullyQualifiedDN] = dn;
        EXPECT_EQ(GetLongUserNameString(platform, NameFormat::FullyQualifiedDN), c.kept ? dn : u"");
        EXPECT_EQ(GetLongUserNameString(platform, NameFormat::Display), u"");  // fails
    }
}

TEST(NetGroupsTest, GetDirectoryObjectRaisesTheBindingsCode) {
    FakeIdentityPlatform platform;
    platform.directory = {{u"LDAP://CN=ok", test::Single(u"CN=G")},
                          {u"LDAP://CN=bad", {test::kTypeMismatch, {}}}};
    EXPECT_NE(GetDirectoryObject(platform, u"LDAP://CN=ok"), nullptr);
    EXPECT_THAT([&] { return GetDirectoryObject(platform, u"LDAP://CN=bad"); },
                test::ThrowsWithMessage<EDirectoryError>(
                    "Directory error 0x80020005",
                    testing::Property("Code()", &EDirectoryError::Code, test::kTypeMismatch)));
}

TEST(NetGroupsTest, NestedGroupsWalkDepthFirstAndEndCycles) {
    using test::Many;
    using test::Text;
    struct Case {
        const char* name;
        Directory directory;
        Texts bound;  // after the user's own path
        Texts groups;
    };
    const std::vector<Case> cases = {
        {"depth first, each group once",
         {{kUserPath, Many({Text(u"CN=G1"), Text(u"CN=G2")})},
          {u"LDAP://CN=G1", Many({Text(u"CN=G3"), Text(u"CN=G2")})},
          {u"LDAP://CN=G3", Many({Text(u"CN=G1"), Text(u"CN=G4")})},
          {u"LDAP://CN=G4", test::NoMemberOf()},
          {u"LDAP://CN=G2", test::Single(u"CN=G3")}},
         {u"LDAP://CN=G1", u"LDAP://CN=G3", u"LDAP://CN=G4", u"LDAP://CN=G2"},
         {u"G1", u"G2", u"G3", u"G4"}},
        {"a group that cannot be bound ends the list that named it",
         {{kUserPath, Many({Text(u"CN=G1"), Text(u"CN=G2")})},
          {u"LDAP://CN=G1", Many({Text(u"CN=Gone"), Text(u"CN=Skipped")})},
          {u"LDAP://CN=G2", test::NoMemberOf()}},
         {u"LDAP://CN=G1", u"LDAP://CN=Gone", u"LDAP://CN=G2"},
         {u"G1", u"G2", u"Gone"}},
        {"the user cannot be bound", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeIdentityPlatform platform;
        platform.names[NameFormat::FullyQualifiedDN] = kUserDn;
        platform.directory = c.directory;
        TNetGroups groups(platform);
        groups.GetNestedNetworkGroups();
        Texts bound = {kUserPath};
        bound.insert(bound.end(), c.bound.begin(), c.bound.end());
        EXPECT_EQ(platform.bound, bound);
        EXPECT_EQ(groups.Groups().Strings(), c.groups);
    }
}

}  // namespace
}  // namespace vq
