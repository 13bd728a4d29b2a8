#pragma once
// The cookie store's two decisions about a cookie it is given (RFC 6265 section 5.3): when the
// cookie expires, and which domain it belongs to. Pure functions of what the Set-Cookie header
// said and of the request, so each is tested on its own.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vq {

// Session cookies expire at the latest representable time, and Max-Age values beyond it are cut
// down to it: 9999-12-31 23:59:59 is as far as a cookie date can name.
inline constexpr std::chrono::sys_seconds kCookieLatest =
    std::chrono::sys_days{std::chrono::year{9999} / std::chrono::December / 31} +
    std::chrono::hours{23} + std::chrono::minutes{59} + std::chrono::seconds{59};
// What a Max-Age of zero or less gives: the earliest representable time, always in the past.
inline constexpr std::chrono::sys_seconds kCookieEarliest = std::chrono::sys_seconds::min();

// When a cookie received at now expires: Max-Age wins over Expires, and neither makes a session
// cookie (kCookieLatest).
std::chrono::sys_seconds CookieExpiry(std::optional<std::int64_t> max_age,
                                      std::optional<std::chrono::sys_seconds> expires,
                                      std::chrono::sys_seconds now);

// The domain a cookie is stored under, and whether it goes back to that host only.
struct CookieDomain {
    std::string domain;
    bool host_only = true;

    friend bool operator==(const CookieDomain&, const CookieDomain&) = default;
};

// The domain for a cookie from host (lower case) whose Domain attribute, if any, is
// domain_attribute (lower case, leading "." dropped); nothing when the cookie must be refused.
// Without a public suffix list, a dot-less domain stands for a suffix such as "com" or "local"
// and is refused unless it is the host itself, which gives a host-only cookie.
std::optional<CookieDomain> CookieDomainFor(std::string_view host,
                                            const std::optional<std::string>& domain_attribute);

// Whether host lies in domain (RFC 6265 section 5.1.3). Hosts given as an address match only
// themselves.
bool DomainMatches(std::string_view host, std::string_view domain);

}  // namespace vq
