#include "auth/cookie_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vq {
namespace {

namespace chr = std::chrono;

// 2025-05-15 14:30:22 UTC.
constexpr chr::sys_seconds kNow = chr::sys_days{chr::year{2025} / chr::May / 15} + chr::hours{14} +
                                  chr::minutes{30} + chr::seconds{22};
constexpr chr::sys_seconds kInAnHour = kNow + chr::hours{1};
constexpr chr::sys_seconds kLastYear = kNow - chr::days{365};
constexpr std::int64_t kToTheLatest = (kCookieLatest - kNow).count();

TEST(CookieExpiry, MaxAgeWinsOverExpiresAndIsCutToTheLatestDate) {
    struct Case {
        const char* name;
        std::optional<std::int64_t> max_age;
        std::optional<chr::sys_seconds> expires;
        chr::sys_seconds expected;
    };
    const Case cases[] = {
        {"neither: a session cookie", std::nullopt, std::nullopt, kCookieLatest},
        {"Expires alone", std::nullopt, kInAnHour, kInAnHour},
        {"Expires in the past stays in the past", std::nullopt, kLastYear, kLastYear},
        {"Max-Age counts from now", 60, std::nullopt, kNow + chr::seconds{60}},
        {"Max-Age wins over Expires", 60, kLastYear, kNow + chr::seconds{60}},
        {"Max-Age 0: at once, whatever Expires says", 0, kInAnHour, kCookieEarliest},
        {"negative Max-Age", -5, std::nullopt, kCookieEarliest},
        {"Max-Age one short of the latest date", kToTheLatest - 1, std::nullopt,
         kCookieLatest - chr::seconds{1}},
        {"Max-Age reaching the latest date", kToTheLatest, std::nullopt, kCookieLatest},
        {"Max-Age far beyond it", std::int64_t{1} << 50, std::nullopt, kCookieLatest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CookieExpiry(c.max_age, c.expires, kNow), c.expected);
    }
    // At the latest date itself any positive Max-Age stays there instead of overflowing.
    EXPECT_EQ(CookieExpiry(1, std::nullopt, kCookieLatest), kCookieLatest);
}

TEST(CookieDomainFor, HostOnlyWithoutADomainAndRefusedOutsideTheHost) {
    struct Case {
        const char* host;
        std::optional<std::string> attribute;
        std::optional<CookieDomain> expected;  // nothing: refused
    };
    const Case cases[] = {
        {"www.example.com", std::nullopt, CookieDomain{"www.example.com", true}},
        {"www.example.com", "", CookieDomain{"www.example.com", true}},
        {"www.example.com", "example.com", CookieDomain{"example.com", false}},
        {"www.example.com", "www.example.com", CookieDomain{"www.example.com", false}},
        {"www.example.com", "other.com", std::nullopt},
        {"www.example.com", "ample.com", std::nullopt},  // not at a dot
        {"example.com", "www.example.com", std::nullopt},
        {"www.example.com", "com", std::nullopt},  // a suffix, not a domain
        {"localhost", "localhost", CookieDomain{"localhost", true}},
        {"gate", "local", std::nullopt},
        {"10.0.0.1", "0.0.1", std::nullopt},  // an address matches only itself
        {"10.0.0.1", "10.0.0.1", CookieDomain{"10.0.0.1", false}},
        {"::1", "1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " with Domain=" + c.attribute.value_or("(none)"));
        EXPECT_EQ(CookieDomainFor(c.host, c.attribute), c.expected);
    }
}

}  // namespace
}  // namespace vq
