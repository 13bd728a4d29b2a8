#include "auth/cookie_store.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "auth/cookie_date.h"
#include "auth/cookie_rules.h"

namespace vq {
namespace {

namespace chr = std::chrono;
using Seconds = chr::sys_seconds;

bool IsWsp(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimWsp(std::string_view text) {
    while (!text.empty() && IsWsp(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWsp(text.back())) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = LowerAscii(c);
    return result;
}

bool EqualsIgnoreCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() &&
           std::equal(text.begin(), text.end(), lower.begin(),
                      [](char a, char b) { return LowerAscii(a) == b; });
}

// Control characters other than HTAB would end or split the Cookie header line the value is
// later written into (RFC 6265bis refuses such cookies for the same reason).
bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && u != 0x09) || u == 0x7F;
    });
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// RFC 6265 section 5.1.4.
bool PathMatches(std::string_view request_path, std::string_view cookie_path) {
    if (!request_path.starts_with(cookie_path)) return false;
    return request_path.size() == cookie_path.size() || cookie_path.ends_with('/') ||
           request_path[cookie_path.size()] == '/';
}

// The request path without a query or fragment, should one have slipped in.
std::string_view RequestPath(std::string_view path) {
    return path.substr(0, path.find_first_of("?#"));
}

// The directory of the request path (section 5.1.4's default-path).
std::string DefaultPath(std::string_view request_path) {
    if (request_path.empty() || request_path.front() != '/') return "/";
    const std::size_t last_slash = request_path.rfind('/');
    if (last_slash == 0) return "/";
    return std::string(request_path.substr(0, last_slash));
}

// Digits with an optional leading "-"; nothing for any other text. Large values saturate.
std::optional<std::int64_t> ParseMaxAge(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) return std::nullopt;
    constexpr std::int64_t kSaturated = std::int64_t{1} << 50;  // far beyond year 9999
    std::int64_t value = 0;
    for (char c : text) {
        value = std::min(kSaturated, value * 10 + (c - '0'));
    }
    return negative ? -value : value;
}

// What one Set-Cookie header says (section 5.2); the last of each attribute wins.
struct SetCookie {
    std::string_view name;
    std::string_view value;
    std::optional<Seconds> expires;
    std::optional<std::int64_t> max_age;
    std::optional<std::string> domain;  // lower-case, leading "." dropped
    std::optional<std::string> path;    // starts with "/"
    bool secure = false;
    bool http_only = false;
};

std::optional<SetCookie> ParseSetCookie(std::string_view text, std::string_view request_path) {
    const std::size_t semicolon = text.find(';');
    const std::string_view pair = text.substr(0, semicolon);
    std::string_view attributes =
        semicolon == std::string_view::npos ? std::string_view{} : text.substr(semicolon + 1);

    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    SetCookie cookie;
    cookie.name = TrimWsp(pair.substr(0, equals));
    cookie.value = TrimWsp(pair.substr(equals + 1));
    if (cookie.name.empty()) return std::nullopt;
    if (cookie.name.size() + cookie.value.size() > CookieStore::kMaxNameValueBytes) {
        return std::nullopt;
    }
    if (HasControlCharacter(cookie.name) || HasControlCharacter(cookie.value)) return std::nullopt;

    while (!attributes.empty()) {
        const std::size_t next = attributes.find(';');
        const std::string_view av = attributes.substr(0, next);
        attributes =
            next == std::string_view::npos ? std::string_view{} : attributes.substr(next + 1);

        const std::size_t av_equals = av.find('=');
        const std::string_view name = TrimWsp(av.substr(0, av_equals));
        const std::string_view value = av_equals == std::string_view::npos
                                           ? std::string_view{}
                                           : TrimWsp(av.substr(av_equals + 1));

        if (EqualsIgnoreCase(name, "expires")) {
            if (auto date = ParseCookieDate(value)) cookie.expires = *date;
        } else if (EqualsIgnoreCase(name, "max-age")) {
            if (auto seconds = ParseMaxAge(value)) cookie.max_age = *seconds;
        } else if (EqualsIgnoreCase(name, "domain")) {
            if (value.empty() || value.size() > CookieStore::kMaxAttributeValueBytes) continue;
            cookie.domain = LowerAscii(value.front() == '.' ? value.substr(1) : value);
        } else if (EqualsIgnoreCase(name, "path")) {
            if (value.size() > CookieStore::kMaxAttributeValueBytes) continue;
            cookie.path = (value.empty() || value.front() != '/') ? DefaultPath(request_path)
                                                                  : std::string(value);
        } else if (EqualsIgnoreCase(name, "secure")) {
            cookie.secure = true;
        } else if (EqualsIgnoreCase(name, "httponly")) {
            cookie.http_only = true;
        }
    }
    return cookie;
}

}  // namespace

CookieStore::CookieStore(Clock clock) : clock_(std::move(clock)), next_expiry_(kCookieLatest) {}

CookieStore::Seconds CookieStore::Now() const { return chr::floor<chr::seconds>(clock_()); }

void CookieStore::Store(std::string_view set_cookie_value, const CookieOrigin& origin) {
    const std::string_view request_path = RequestPath(origin.path);
    auto parsed = ParseSetCookie(set_cookie_value, request_path);
    if (!parsed) return;

    const Seconds now = Now();
    EvictExpired(now);

    const Seconds expiry = CookieExpiry(parsed->max_age, parsed->expires, now);
    auto domain = CookieDomainFor(LowerAscii(origin.host), parsed->domain);
    if (!domain) return;

    std::string path = parsed->path ? std::move(*parsed->path) : DefaultPath(request_path);
    Key key{std::move(domain->domain), std::move(path), std::string(parsed->name)};

    // A replaced cookie keeps its creation time; an already expired one only deletes.
    const std::uint64_t tick = ++ticks_;
    std::uint64_t creation = tick;
    if (auto old = cookies_.find(key); old != cookies_.end()) {
        creation = old->second.creation;
        cookies_.erase(old);
    }
    if (expiry <= now) return;

    Cookie cookie;
    cookie.value = std::string(parsed->value);
    cookie.expiry = expiry;
    cookie.creation = creation;
    cookie.last_access = tick;
    cookie.host_only = domain->host_only;
    cookie.secure_only = parsed->secure;
    cookie.http_only = parsed->http_only;
    next_expiry_ = std::min(next_expiry_, expiry);
    const std::string domain_of_cookie = std::get<0>(key);
    cookies_.emplace(std::move(key), std::move(cookie));
    EnforceLimits(domain_of_cookie);
}

std::string CookieStore::CookieHeader(const CookieOrigin& origin) {
    EvictExpired(Now());
    const std::string host = LowerAscii(origin.host);
    std::string_view request_path = RequestPath(origin.path);
    if (request_path.empty()) request_path = "/";

    // HttpOnly cookies are sent: this is the HTTP client itself, not a script.
    std::vector<Map::value_type*> matches;
    for (auto& entry : cookies_) {
        const auto& [domain, path, name] = entry.first;
        const Cookie& cookie = entry.second;
        const bool domain_ok = cookie.host_only ? host == domain : DomainMatches(host, domain);
        if (domain_ok && PathMatches(request_path, path) &&
            (!cookie.secure_only || origin.secure)) {
            matches.push_back(&entry);
        }
    }
    std::sort(matches.begin(), matches.end(), [](const auto* a, const auto* b) {
        const std::size_t a_path = std::get<1>(a->first).size();
        const std::size_t b_path = std::get<1>(b->first).size();
        if (a_path != b_path) return a_path > b_path;
        return a->second.creation < b->second.creation;
    });

    const std::uint64_t tick = ++ticks_;
    std::string header;
    for (auto* entry : matches) {
        entry->second.last_access = tick;
        if (!header.empty()) header += "; ";
        header += std::get<2>(entry->first);
        header += '=';
        header += entry->second.value;
    }
    return header;
}

std::size_t CookieStore::size() const {
    const Seconds now = Now();
    return static_cast<std::size_t>(
        std::count_if(cookies_.begin(), cookies_.end(),
                      [now](const auto& entry) { return entry.second.expiry > now; }));
}

void CookieStore::Clear() {
    cookies_.clear();
    next_expiry_ = kCookieLatest;
}

void CookieStore::EvictExpired(Seconds now) {
    if (now < next_expiry_) return;
    next_expiry_ = kCookieLatest;
    for (auto it = cookies_.begin(); it != cookies_.end();) {
        if (it->second.expiry <= now) {
            it = cookies_.erase(it);
        } else {
            next_expiry_ = std::min(next_expiry_, it->second.expiry);
            ++it;
        }
    }
}

// Expired cookies are gone already (every Store evicts them first), so what is left to remove
// is the least recently used: first within a domain over its share, then in the whole store.
void CookieStore::EnforceLimits(const std::string& domain) {
    for (;;) {
        const auto first = cookies_.lower_bound(Key{domain, std::string(), std::string()});
        auto last = first;
        std::size_t count = 0;
        while (last != cookies_.end() && std::get<0>(last->first) == domain) {
            ++last;
            ++count;
        }
        if (count <= kMaxCookiesPerDomain) break;
        EvictLeastRecentlyUsed(first, last);
    }
    while (cookies_.size() > kMaxCookies) EvictLeastRecentlyUsed(cookies_.begin(), cookies_.end());
}

void CookieStore::EvictLeastRecentlyUsed(Map::iterator first, Map::iterator last) {
    const auto victim = std::min_element(first, last, [](const auto& a, const auto& b) {
        return a.second.last_access < b.second.last_access;
    });
    if (victim != last) cookies_.erase(victim);
}

}  // namespace vq
