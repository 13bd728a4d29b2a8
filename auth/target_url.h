#pragma once
// The address of one request: what the request line, the Host header, the connection and the
// cookie store need of a URL. Parsing and the resolution of a redirect's Location go through
// Boost.URL; only plain "http" URLs are usable, as the client has no TLS.

#include <cstdint>
#include <string>
#include <string_view>

namespace vq {

struct TargetUrl {
    std::string text;       // the whole URL as parsed
    std::string host;       // as written in the URL: what the Host header names ("[::1]" too)
    std::string host_name;  // what the resolver is given (IPv6 literals without brackets)
    std::uint16_t port = 80;
    std::string target;  // path (at least "/") and "?" query: the request line's target
    std::string path;    // path alone, for the cookie store

    // The Host header's value: the host, and ":" port when the port is not 80.
    std::string HostHeader() const;
};

// Parses an absolute "http" URL. Raises ExchangeError with a text naming the URL when it cannot
// be parsed or its scheme is not "http".
TargetUrl ParseTargetUrl(std::string_view url);

// Resolves a redirect's Location against the URL of the request that got it. Raises
// ExchangeError when the Location is no URL reference or leads to an unusable URL.
TargetUrl ResolveLocation(const TargetUrl& current, std::string_view location);

}  // namespace vq
