#include "auth/cookie_rules.h"

#include <algorithm>

namespace vq {

namespace {

// Dotted digits, or IPv6 with colons.
bool IsIpAddress(std::string_view host) {
    if (host.find(':') != std::string_view::npos) return true;
    return !host.empty() && std::all_of(host.begin(), host.end(),
                                        [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

}  // namespace

std::chrono::sys_seconds CookieExpiry(std::optional<std::int64_t> max_age,
                                      std::optional<std::chrono::sys_seconds> expires,
                                      std::chrono::sys_seconds now) {
    if (max_age) {
        const std::int64_t delta = *max_age;
        if (delta <= 0) return kCookieEarliest;
        if (now >= kCookieLatest || delta >= (kCookieLatest - now).count()) return kCookieLatest;
        return now + std::chrono::seconds{delta};
    }
    return expires.value_or(kCookieLatest);
}

std::optional<CookieDomain> CookieDomainFor(std::string_view host,
                                            const std::optional<std::string>& domain_attribute) {
    if (!domain_attribute || domain_attribute->empty()) return CookieDomain{std::string(host)};
    const std::string& attribute = *domain_attribute;
    if (attribute.find('.') == std::string::npos) {
        if (attribute != host) return std::nullopt;
        return CookieDomain{std::string(host)};
    }
    if (!DomainMatches(host, attribute)) return std::nullopt;
    return CookieDomain{attribute, false};
}

bool DomainMatches(std::string_view host, std::string_view domain) {
    if (host == domain) return true;
    if (domain.empty() || IsIpAddress(host) || host.size() <= domain.size()) return false;
    return host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.';
}

}  // namespace vq
