#pragma once
// The body of a credentials POST: a multipart form with the one file field "dta".

#include <string>
#include <string_view>

#include "formats/local_clock.h"

namespace vq {

class MultipartBody {
public:
    // The boundary is fixed now: eight hyphens and the moment as MMDDYYHHNNSSZZZ.
    explicit MultipartBody(const LocalDateTime& moment);

    // The boundary, 23 characters.
    const std::string& Boundary() const { return boundary_; }
    // "multipart/form-data; boundary=" and the boundary.
    std::string ContentType() const;
    // The whole body around the archive bytes, byte for byte as the server expects it.
    std::string Build(std::string_view archive) const;

private:
    std::string boundary_;
};

std::string MultipartBoundary(const LocalDateTime& moment);

}  // namespace vq
