#include "auth/multipart_body.h"

#include <cstdio>

#include "auth/wire_strings.h"

namespace vq {

std::string MultipartBoundary(const LocalDateTime& moment) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d%02d%02d%02d%03d", moment.month % 100,
                  moment.day % 100, moment.year % 100, moment.hour % 100, moment.minute % 100,
                  moment.second % 100, moment.millisecond % 1000);
    return std::string(8, '-') + digits;
}

MultipartBody::MultipartBody(const LocalDateTime& moment) : boundary_(MultipartBoundary(moment)) {}

std::string MultipartBody::ContentType() const {
    return "multipart/form-data; boundary=" + boundary_;
}

std::string MultipartBody::Build(std::string_view archive) const {
    std::string body;
    body.reserve(archive.size() + 256);
    body.append("--").append(boundary_).append("\r\n");
    body.append("Content-Disposition: form-data; name=\"")
        .append(wire::kFieldName)
        .append("\"; filename=\"")
        .append(wire::kFieldName)
        .append("\"\r\n");
    body.append("Content-Type: application/octet-stream; charset=\"utf-8\"\r\n");
    body.append("Content-Transfer-Encoding: binary\r\n");
    body.append("\r\n");
    body.append(archive);
    body.append("\r\n");
    body.append("--").append(boundary_).append("--\r\n");
    return body;
}

}  // namespace vq
