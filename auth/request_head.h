#pragma once
// The request line and headers of one request, in the order and with the values the access
// server has always received from the workstation client.

#include <optional>
#include <string>

namespace vq {

struct RequestHead {
    std::string method;        // "GET" or "POST"
    std::string target;        // path and query
    std::string host;          // the Host header's value
    std::string content_type;  // empty: no Content-Type line
    std::optional<std::size_t> content_length;
    std::string cookie;  // empty: no Cookie line
};

// "METHOD target HTTP/1.0" CR LF, the headers each as "Name: value" CR LF, then an empty line.
std::string FormatRequestHead(const RequestHead& head);

}  // namespace vq
