// The real C library calls against the fixture accounts in tests/identity/nss/, through
// nss_wrapper: run as ctest's name-service-nss-wrapper does, with LD_PRELOAD=libnss_wrapper.so
// and NSS_WRAPPER_PASSWD / NSS_WRAPPER_GROUP naming those files.
#include "identity/system_name_service_posix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/ansi_code_page.h"
#include "formats/memory_registry.h"
#include "formats/value_list.h"
#include "identity/name_service_identity.h"

namespace vq {
namespace {

class FixedDomainName final : public DomainNameSource {
public:
    std::u16string ShortDomainName() noexcept override { return u"corp"; }
};

class SystemNameServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("NSS_WRAPPER_PASSWD") == nullptr)
            GTEST_SKIP() << "needs nss_wrapper and the fixture accounts: run through ctest "
                            "(name-service-nss-wrapper), or set LD_PRELOAD=libnss_wrapper.so, "
                            "NSS_WRAPPER_PASSWD and NSS_WRAPPER_GROUP to tests/identity/nss/";
        // Set but not preloaded would ask the real system: that is a broken run, not a skip.
        ASSERT_TRUE(names->UserById(50001))
            << "NSS_WRAPPER_PASSWD is set but the fixture accounts are not seen: is "
               "libnss_wrapper.so in LD_PRELOAD?";
    }

    std::string Request(std::uint32_t user_id) {
        FixedDomainName domain;
        NameServiceIdentity identity(*names, domain, user_id);
        MemoryRegistry registry;
        TValueList values(Windows1251CodePage(), registry);
        identity.HandleAuthNeedData(values);
        return values.GetURLEncodedINI();
    }

    std::unique_ptr<NameService> names = SystemNameService();
};

TEST_F(SystemNameServiceTest, ReadsTheAccountsEntries) {
    EXPECT_EQ(names->UserById(50001),
              (NameServiceUser{"alice@corp.example", "Alice Liddell,Room 1,,", 50000}));
    EXPECT_EQ(names->UserById(50002), (NameServiceUser{"CORP\\bob", "", 50100}));
    EXPECT_EQ(names->UserById(59999), std::nullopt);
    EXPECT_EQ(names->GroupNameById(50011), "Staff@corp.example");
    EXPECT_EQ(names->GroupNameById(59999), std::nullopt);

    auto ids = names->GroupIdsOf("alice@corp.example", 50000);
    ASSERT_TRUE(ids);
    std::sort(ids->begin(), ids->end());
    EXPECT_EQ(*ids, (std::vector<std::uint32_t>{27, 50000, 50010, 50011, 50012, 50013}));
}

TEST_F(SystemNameServiceTest, GrowsItsBuffersForLargeAnswers) {
    // A full name of 10000 bytes and a group of 301 members exceed the first buffers.
    const auto long_user = names->UserById(50004);
    ASSERT_TRUE(long_user);
    EXPECT_EQ(long_user->gecos, std::string(10000, 'L'));
    EXPECT_EQ(names->GroupNameById(50013), "wide group@corp.example");
    // 101 groups exceed the first list.
    const auto ids = names->GroupIdsOf("many@corp.example", 50000);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->size(), 101u);
}

TEST_F(SystemNameServiceTest, AnswersBeyondTheLimitsAreNone) {
    const auto bounded = SystemNameService({.entry_bytes = 4096, .groups = 100});
    EXPECT_EQ(bounded->UserById(50004), std::nullopt);
    EXPECT_EQ(bounded->GroupNameById(50013), std::nullopt);
    EXPECT_EQ(bounded->GroupIdsOf("many@corp.example", 50000), std::nullopt);
    // Within them the same service still answers.
    EXPECT_TRUE(bounded->UserById(50001));
    EXPECT_TRUE(bounded->GroupIdsOf("alice@corp.example", 50000));
}

TEST_F(SystemNameServiceTest, TheCredentialsOfDomainAndLocalAccounts) {
    struct Case {
        const char* name;
        std::uint32_t user_id;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"SSSD's form: local sudo, the primary group and the second Staff left out", 50001,
         "username=CORP%5Calice\r\n"
         "groups=CORP%5CStaff%0D%0ACORP%5Cvpn+users%0D%0ACORP%5Cwide+group%0D%0A\r\n"
         "dname=Alice+Liddell\r\n"},
        {"winbind's form: local users left out, no full name", 50002,
         "username=CORP%5Cbob\r\ngroups=CORP%5Cvpn+users%0D%0A\r\ndname=\r\n"},
        // A plain name cannot be told from the domain's; its groups are all plain, so none go.
        {"a plain name", 1001, "username=CORP%5Ccarol\r\ngroups=\r\ndname=Carol+Local\r\n"},
        {"no such account", 59999, "username=\r\ngroups=\r\ndname=\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Request(c.user_id), c.expected);
    }
}

}  // namespace
}  // namespace vq
