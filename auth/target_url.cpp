#include "auth/target_url.h"

#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>

#include "auth/exchange_error.h"
#include "auth/failure_texts.h"

namespace vq {

namespace urls = boost::urls;

namespace {

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

TargetUrl FromParsed(const urls::url_view& url, std::string_view original) {
    if (!url.has_scheme() || !IEquals(url.scheme(), "http")) {
        const std::string scheme = url.has_scheme() ? std::string(url.scheme()) : std::string();
        throw ExchangeError(failure_text::UnsupportedScheme(scheme, original));
    }
    if (!url.has_authority() || url.encoded_host().empty())
        throw ExchangeError(failure_text::NoHost(original));

    TargetUrl target;
    target.text = std::string(url.buffer());
    target.host = std::string(url.encoded_host());
    target.host_name = url.host_type() == urls::host_type::ipv6
                           ? std::string(url.encoded_host_address())
                           : url.host();
    // Host names are compared without regard to case, by the resolver and the cookie store.
    for (char& c : target.host_name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (url.has_port()) {
        const auto port = url.port();
        unsigned long number = 0;
        for (const char c : port) number = number * 10 + static_cast<unsigned long>(c - '0');
        if (port.empty() || port.size() > 5 || number == 0 || number > 65535)
            throw ExchangeError(failure_text::InvalidPort(port, original));
        target.port = static_cast<std::uint16_t>(number);
    }
    target.path = url.encoded_path().empty() ? std::string("/") : std::string(url.encoded_path());
    target.target = target.path;
    if (url.has_query()) target.target.append("?").append(url.encoded_query());
    return target;
}

}  // namespace

std::string TargetUrl::HostHeader() const {
    return port == 80 ? host : host + ":" + std::to_string(port);
}

TargetUrl ParseTargetUrl(std::string_view url) {
    const auto parsed = urls::parse_absolute_uri(url);
    if (!parsed) {
        // A reference with a fragment is still a usable address: the fragment is not sent.
        const auto with_fragment = urls::parse_uri(url);
        if (!with_fragment) throw ExchangeError(failure_text::InvalidUrl(url));
        return FromParsed(*with_fragment, url);
    }
    return FromParsed(*parsed, url);
}

TargetUrl ResolveLocation(const TargetUrl& current, std::string_view location) {
    const auto reference = urls::parse_uri_reference(location);
    if (!reference) throw ExchangeError(failure_text::InvalidRedirect(location));
    urls::url resolved;
    const auto base = urls::parse_uri(current.text);
    if (!base || !urls::resolve(*base, *reference, resolved))
        throw ExchangeError(failure_text::InvalidRedirect(location));
    return FromParsed(resolved, resolved.buffer());
}

}  // namespace vq
