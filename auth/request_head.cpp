#include "auth/request_head.h"

#include "auth/wire_strings.h"

namespace vq {

std::string FormatRequestHead(const RequestHead& head) {
    std::string out;
    out.reserve(320 + head.target.size() + head.cookie.size());
    const auto line = [&out](std::string_view name, std::string_view value) {
        out.append(name).append(": ").append(value).append("\r\n");
    };
    out.append(head.method).append(" ").append(head.target).append(" HTTP/1.0\r\n");
    line("Connection", wire::kKeepAlive);
    if (!head.content_type.empty()) line("Content-Type", head.content_type);
    if (head.content_length) line("Content-Length", std::to_string(*head.content_length));
    line("Host", head.host);
    line("Accept", wire::kAccept);
    line("Accept-Encoding", wire::kIdentity);
    line("User-Agent", wire::kUserAgent);
    if (!head.cookie.empty()) line("Cookie", head.cookie);
    out.append("\r\n");
    return out;
}

}  // namespace vq
