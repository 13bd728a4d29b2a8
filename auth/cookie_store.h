#pragma once
// The HTTP client's cookie jar (RFC 6265): stores what the server's Set-Cookie headers say and
// builds the Cookie header of each request. It lives as long as the worker that owns it and is
// used on that worker's thread only. Its size is bounded, so a hostile server cannot make it grow
// without limit.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

namespace vq {

// Where a request goes, as far as cookies care.
struct CookieOrigin {
    std::string host;     // lower-case request host, no port
    std::string path;     // request path, starts with "/", no query
    bool secure = false;  // https; always false for this client
};

class CookieStore {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // Limits: the minimums RFC 6265 section 6.1 asks a user agent to support.
    static constexpr std::size_t kMaxCookiesPerDomain = 50;
    static constexpr std::size_t kMaxCookies = 3000;
    static constexpr std::size_t kMaxNameValueBytes = 4096;
    // Longer Domain and Path attribute values are ignored (as in RFC 6265bis).
    static constexpr std::size_t kMaxAttributeValueBytes = 1024;

    explicit CookieStore(Clock clock = std::chrono::system_clock::now);

    // Stores one Set-Cookie header value received for a request to origin (RFC 6265 sections
    // 5.2 and 5.3). A cookie the rules refuse is dropped silently; one that is already expired
    // deletes its stored namesake.
    void Store(std::string_view set_cookie_value, const CookieOrigin& origin);

    // The value of the Cookie header for a request to origin, or empty when no cookie applies
    // (section 5.4): longer paths first, then older cookies first.
    std::string CookieHeader(const CookieOrigin& origin);

    // Cookies held that have not expired.
    std::size_t size() const;
    void Clear();

private:
    using Seconds = std::chrono::sys_seconds;

    struct Cookie {
        std::string value;
        Seconds expiry;              // session cookies: the latest representable time
        std::uint64_t creation = 0;  // creation order; kept when a cookie is replaced
        std::uint64_t last_access = 0;
        bool host_only = true;
        bool secure_only = false;
        bool http_only = false;
    };
    // domain, path, name: the identity of a cookie, domain first so that one domain's cookies
    // are neighbours.
    using Key = std::tuple<std::string, std::string, std::string>;
    using Map = std::map<Key, Cookie>;

    Seconds Now() const;
    void EvictExpired(Seconds now);
    void EnforceLimits(const std::string& domain);
    void EvictLeastRecentlyUsed(Map::iterator first, Map::iterator last);

    Clock clock_;
    Map cookies_;
    std::uint64_t ticks_ = 0;  // orders creation and access even when the clock stands still
    Seconds next_expiry_;      // no cookie expires before this moment
};

}  // namespace vq
