#include "auth/cookie_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vq {
namespace {

namespace chr = std::chrono;

// 2025-05-15 14:30:22 UTC, the moment every test starts at.
const chr::system_clock::time_point kStart = chr::sys_days{chr::year{2025} / chr::May / 15} +
                                             chr::hours{14} + chr::minutes{30} + chr::seconds{22};

CookieOrigin Origin(std::string host, std::string path = "/") {
    return CookieOrigin{std::move(host), std::move(path), false};
}

class CookieStoreTest : public ::testing::Test {
protected:
    void Advance(chr::seconds by) { now_ += by; }

    chr::system_clock::time_point now_ = kStart;
    CookieStore store_{[this] { return now_; }};
};

TEST_F(CookieStoreTest, MatchesDomainsAndPaths) {
    struct Case {
        const char* name;
        std::string set_cookie;
        CookieOrigin from;
        CookieOrigin to;
        bool sent;
    };
    const Case cases[] = {
        {"host-only to its host", "a=1", Origin("www.example.com"), Origin("www.example.com"),
         true},
        {"host-only not to a subdomain", "a=1", Origin("www.example.com"),
         Origin("x.www.example.com"), false},
        {"host-only not to the parent", "a=1", Origin("www.example.com"), Origin("example.com"),
         false},
        {"domain cookie to its domain", "a=1; Domain=example.com", Origin("www.example.com"),
         Origin("example.com"), true},
        {"domain cookie to a deep subdomain", "a=1; Domain=example.com", Origin("www.example.com"),
         Origin("a.b.example.com"), true},
        {"domain cookie not to a name ending alike", "a=1; Domain=example.com",
         Origin("www.example.com"), Origin("badexample.com"), false},
        {"leading dot dropped, case folded", "a=1; Domain=.Example.COM", Origin("www.example.com"),
         Origin("other.example.com"), true},
        {"foreign domain refused", "a=1; Domain=other.com", Origin("www.example.com"),
         Origin("other.com"), false},
        {"subdomain of the host refused", "a=1; Domain=www.example.com", Origin("example.com"),
         Origin("www.example.com"), false},
        {"dot-less suffix refused", "a=1; Domain=com", Origin("example.com"), Origin("example.com"),
         false},
        {"dot-less host itself is host-only", "a=1; Domain=localhost", Origin("localhost"),
         Origin("localhost"), true},
        {"dot-less host itself, not to subdomains", "a=1; Domain=localhost", Origin("localhost"),
         Origin("a.localhost"), false},
        {"empty Domain ignored", "a=1; Domain=", Origin("www.example.com"),
         Origin("www.example.com"), true},
        {"Domain=. gives a host-only cookie", "a=1; Domain=.", Origin("www.example.com"),
         Origin("www.example.com"), true},
        {"overlong Domain ignored", "a=1; Domain=" + std::string(1025, 'x') + ".com",
         Origin("www.example.com"), Origin("www.example.com"), true},
        {"address suffix refused", "a=1; Domain=0.0.1", Origin("10.0.0.1"), Origin("10.0.0.1"),
         false},
        {"address itself accepted", "a=1; Domain=10.0.0.1", Origin("10.0.0.1"), Origin("10.0.0.1"),
         true},
        {"Path to itself", "a=1; Path=/docs", Origin("h.com"), Origin("h.com", "/docs"), true},
        {"Path to a directory below", "a=1; Path=/docs", Origin("h.com"),
         Origin("h.com", "/docs/web"), true},
        {"Path not to a name starting alike", "a=1; Path=/docs", Origin("h.com"),
         Origin("h.com", "/docsets"), false},
        {"Path not to the parent", "a=1; Path=/docs", Origin("h.com"), Origin("h.com", "/"), false},
        {"Path with slash not to the bare name", "a=1; Path=/docs/", Origin("h.com"),
         Origin("h.com", "/docs"), false},
        {"Path with slash to a file below", "a=1; Path=/docs/", Origin("h.com"),
         Origin("h.com", "/docs/kvr.php"), true},
        {"default path is the directory", "a=1", Origin("h.com", "/docs/web/kvr.php"),
         Origin("h.com", "/docs/web/x"), true},
        {"default path not above the directory", "a=1", Origin("h.com", "/docs/web/kvr.php"),
         Origin("h.com", "/docs/kvr.php"), false},
        {"default path of a top-level file is /", "a=1", Origin("h.com", "/kvr.php"),
         Origin("h.com", "/other/x"), true},
        {"relative Path takes the default", "a=1; Path=docs", Origin("h.com", "/d/kvr.php"),
         Origin("h.com", "/d/x"), true},
        {"relative Path, default not above", "a=1; Path=docs", Origin("h.com", "/d/kvr.php"),
         Origin("h.com", "/docs"), false},
        {"empty Path takes the default", "a=1; Path=", Origin("h.com", "/d/kvr.php"),
         Origin("h.com", "/"), false},
        {"query of the request path ignored", "a=1; Path=/d", Origin("h.com"),
         Origin("h.com", "/d?x=/y"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CookieStore store([this] { return now_; });
        store.Store(c.set_cookie, c.from);
        EXPECT_EQ(store.CookieHeader(c.to), c.sent ? "a=1" : "");
    }
}

TEST_F(CookieStoreTest, ParsesNameValueAndAttributes) {
    struct Case {
        std::string set_cookie;
        std::string header;  // for a request to the same host, path "/"
    };
    const std::string long_value(4096 - 1, 'v');
    const Case cases[] = {
        {"PHPSESSID=abc123; path=/", "PHPSESSID=abc123"},
        {" \tname = a value\t ;Path=/", "name=a value"},
        {"n=a=b", "n=a=b"},
        {"n=", "n="},
        {"n=v; HttpOnly", "n=v"},  // HTTP client: HttpOnly cookies are sent
        {"n=v; SameSite=Lax; Unknown; =x; ;", "n=v"},
        {"no-equals-sign", ""},
        {"=value", ""},
        {"  =value", ""},
        {"n=a\x01"
         "b",
         ""},
        {"n=a\rb", ""},
        {"n=" + long_value, "n=" + long_value},  // name and value: 4096 bytes
        {"n=" + long_value + "v", ""},
        {"n=v; Secure", ""},  // never over plain HTTP
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set_cookie.substr(0, 40));
        CookieStore store([this] { return now_; });
        store.Store(c.set_cookie, Origin("h.com"));
        EXPECT_EQ(store.CookieHeader(Origin("h.com")), c.header);
    }
}

TEST_F(CookieStoreTest, ExpiresAndMaxAgeSetTheLifetime) {
    constexpr long long kSession = -1;  // survives any time
    struct Case {
        const char* set_cookie;
        long long lifetime;  // seconds the cookie is sent for; 0: never stored
    };
    // kStart is Thu, 15 May 2025 14:30:22 GMT.
    const Case cases[] = {
        {"n=v", kSession},
        {"n=v; Max-Age=60", 60},
        {"n=v; max-age=1", 1},
        {"n=v; Max-Age=0", 0},
        {"n=v; Max-Age=-5", 0},
        {"n=v; Max-Age=99999999999999999999999", kSession},  // saturates at the latest date
        {"n=v; Max-Age=+60", kSession},                      // not a number: ignored
        {"n=v; Max-Age=6O", kSession},
        {"n=v; Max-Age=", kSession},
        {"n=v; Expires=Thu, 15 May 2025 15:30:22 GMT", 3600},
        {"n=v; Expires=Thursday, 15-May-25 15:30:22 GMT", 3600},
        {"n=v; Expires=Thu May 15 15:30:22 2025", 3600},
        {"n=v; Expires=Thu, 15 May 2025 14:30:22 GMT", 0},  // expires now
        {"n=v; Expires=Sunday, 06-Nov-94 08:49:37 GMT", 0},
        {"n=v; Expires=tomorrow", kSession},
        {"n=v; Expires=Thu, 15 May 2025 15:30:22 GMT; Expires=garbage", 3600},
        {"n=v; Expires=Thu, 01 Jan 1970 00:00:01 GMT; Max-Age=120", 120},  // Max-Age wins
        {"n=v; Max-Age=120; Expires=Thu, 01 Jan 1970 00:00:01 GMT", 120},
        {"n=v; Max-Age=0; Expires=Thu, 15 May 2025 15:30:22 GMT", 0},
        {"n=v; Max-Age=30; Max-Age=90", 90},  // the last one counts
        {"n=v; expires=Thu, 01 Jan 1970 00:00:01 GMT; Max-Age=0; path=/", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set_cookie);
        now_ = kStart;
        CookieStore store([this] { return now_; });
        store.Store(c.set_cookie, Origin("h.com"));
        if (c.lifetime == 0) {
            EXPECT_EQ(store.size(), 0u);
            EXPECT_EQ(store.CookieHeader(Origin("h.com")), "");
            continue;
        }
        const long long last_second = c.lifetime == kSession ? 100LL * 365 * 86400 : c.lifetime - 1;
        now_ = kStart + chr::seconds{last_second};
        EXPECT_EQ(store.size(), 1u);
        EXPECT_EQ(store.CookieHeader(Origin("h.com")), "n=v");
        if (c.lifetime == kSession) continue;
        now_ += chr::seconds{1};
        EXPECT_EQ(store.size(), 0u);
        EXPECT_EQ(store.CookieHeader(Origin("h.com")), "");
    }
}

TEST_F(CookieStoreTest, OrdersLongerPathsFirstThenOlder) {
    store_.Store("a=1; Path=/", Origin("h.com"));
    store_.Store("b=2; Path=/x/y", Origin("h.com"));
    Advance(chr::seconds{5});
    store_.Store("c=3; Path=/x", Origin("h.com"));
    store_.Store("d=4; Path=/x/y", Origin("h.com"));  // same moment as c: order of arrival
    store_.Store("e=5; Path=/x/y", Origin("h.com"));
    EXPECT_EQ(store_.CookieHeader(Origin("h.com", "/x/y/kvr.php")), "b=2; d=4; e=5; c=3; a=1");
    EXPECT_EQ(store_.CookieHeader(Origin("h.com", "/kvr.php")), "a=1");
}

TEST_F(CookieStoreTest, ReplacementKeepsTheCreationTime) {
    store_.Store("a=1", Origin("h.com"));
    store_.Store("b=2", Origin("h.com"));
    Advance(chr::seconds{60});
    store_.Store("a=3; HttpOnly", Origin("h.com"));
    store_.Store("b=4; Path=/x", Origin("h.com"));  // another path: another cookie
    EXPECT_EQ(store_.size(), 3u);
    EXPECT_EQ(store_.CookieHeader(Origin("h.com", "/x/y")), "b=4; a=3; b=2");

    // A domain cookie with the host as its domain is the same cookie as a host-only one.
    store_.Store("a=5; Domain=h.com", Origin("h.com"));
    EXPECT_EQ(store_.CookieHeader(Origin("h.com")), "a=5; b=2");
    EXPECT_EQ(store_.CookieHeader(Origin("www.h.com")), "a=5");
}

TEST_F(CookieStoreTest, ExpiredSetCookieDeletesItsNamesake) {
    struct Case {
        const char* deletion;
        const char* left;
    };
    const Case cases[] = {
        {"sid=; Expires=Thu, 01 Jan 1970 00:00:01 GMT; Path=/", "keep=1"},
        {"sid=v; expires=Thu, 01 Jan 1970 00:00:01 GMT; Max-Age=0; path=/", "keep=1"},
        {"SID=; Max-Age=0; Path=/", "sid=abc; keep=1"},       // names are case-sensitive
        {"sid=; Max-Age=0; Path=/other", "sid=abc; keep=1"},  // another path
        {"sid=; Max-Age=0; Path=/; Domain=h.com", "keep=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deletion);
        CookieStore store([this] { return now_; });
        store.Store("sid=abc; Path=/", Origin("h.com", "/kvr.php"));
        store.Store("keep=1", Origin("h.com", "/kvr.php"));
        store.Store(c.deletion, Origin("h.com", "/kvr.php"));
        EXPECT_EQ(store.CookieHeader(Origin("h.com", "/kvr.php")), c.left);
    }
}

TEST_F(CookieStoreTest, SecureCookiesOnlyOverSecureConnections) {
    store_.Store("s=1; Secure", Origin("h.com"));
    store_.Store("p=2", Origin("h.com"));
    EXPECT_EQ(store_.CookieHeader(Origin("h.com")), "p=2");
    EXPECT_EQ(store_.CookieHeader(CookieOrigin{"h.com", "/", true}), "s=1; p=2");
}

TEST_F(CookieStoreTest, StormFromOneHostKeepsTheNewestFifty) {
    for (int i = 0; i < 10000; ++i) {
        store_.Store("c" + std::to_string(i) + "=v", Origin("h.com"));
    }
    EXPECT_EQ(store_.size(), CookieStore::kMaxCookiesPerDomain);
    const std::string header = store_.CookieHeader(Origin("h.com"));
    EXPECT_EQ(header.rfind("c9950=v; c9951=v", 0), 0u) << header;
    EXPECT_TRUE(header.ends_with("; c9999=v")) << header;
}

TEST_F(CookieStoreTest, StormFromManyHostsStaysWithinTheTotal) {
    // 100 hosts with 100 cookies each: every host keeps its newest 50, and of those the store
    // keeps the 3000 most recently used.
    for (int h = 0; h < 100; ++h) {
        for (int i = 0; i < 100; ++i) {
            store_.Store("c" + std::to_string(i) + "=v",
                         Origin("h" + std::to_string(h) + ".example.com"));
        }
    }
    EXPECT_EQ(store_.size(), CookieStore::kMaxCookies);
    const auto count = [this](int h) {
        const std::string host = "h" + std::to_string(h) + ".example.com";
        const std::string header = store_.CookieHeader(Origin(host));
        return header.empty() ? 0 : std::count(header.begin(), header.end(), ';') + 1;
    };
    EXPECT_EQ(count(39), 0);
    EXPECT_EQ(count(40), 50);
    EXPECT_EQ(count(99), 50);
}

TEST_F(CookieStoreTest, EvictsTheLeastRecentlyUsedNotTheOldest) {
    store_.Store("c0=v; Path=/keep", Origin("h.com"));
    for (int i = 1; i < 50; ++i) {
        store_.Store("c" + std::to_string(i) + "=v; Path=/other", Origin("h.com"));
    }
    EXPECT_EQ(store_.CookieHeader(Origin("h.com", "/keep")), "c0=v");  // c0 is used now
    store_.Store("c50=v; Path=/other", Origin("h.com"));
    EXPECT_EQ(store_.size(), 50u);
    EXPECT_EQ(store_.CookieHeader(Origin("h.com", "/keep")), "c0=v");
    const std::string others = store_.CookieHeader(Origin("h.com", "/other"));
    EXPECT_EQ(others.rfind("c2=v; c3=v; ", 0), 0u) << others;
    EXPECT_TRUE(others.ends_with("; c50=v")) << others;
}

TEST_F(CookieStoreTest, ExpiredCookiesMakeRoomFirst) {
    for (int i = 0; i < 49; ++i) store_.Store("c" + std::to_string(i) + "=v", Origin("h.com"));
    store_.Store("short=v; Max-Age=10", Origin("h.com"));
    Advance(chr::seconds{10});
    store_.Store("new=v", Origin("h.com"));
    EXPECT_EQ(store_.size(), 50u);
    const std::string header = store_.CookieHeader(Origin("h.com"));
    EXPECT_EQ(header.rfind("c0=v; ", 0), 0u) << header;
    EXPECT_TRUE(header.ends_with("; new=v")) << header;

    // A cookie that arrives expired takes no live cookie's place.
    store_.Store("gone=v; Max-Age=0", Origin("h.com"));
    EXPECT_EQ(store_.CookieHeader(Origin("h.com")), header);
}

TEST_F(CookieStoreTest, ClearEmptiesTheStore) {
    store_.Store("a=1", Origin("h.com"));
    store_.Store("b=2; Max-Age=100", Origin("h.com"));
    EXPECT_EQ(store_.size(), 2u);
    store_.Clear();
    EXPECT_EQ(store_.size(), 0u);
    EXPECT_EQ(store_.CookieHeader(Origin("h.com")), "");
}

}  // namespace
}  // namespace vq
