#pragma once
// The date of a cookie's Expires attribute, read the forgiving way browsers read it (RFC 6265
// section 5.1.1): any order of tokens, RFC 1123, RFC 850 with a two-digit year, asctime and the
// many variants servers really send.

#include <chrono>
#include <optional>
#include <string_view>

namespace vq {

// The moment the text names, in UTC, or nothing when it names no valid date (no time, day,
// month or year token, a field out of range, a day the month does not have, a year before 1601).
// Two-digit years 70 to 99 mean 19xx, 0 to 69 mean 20xx.
std::optional<std::chrono::sys_seconds> ParseCookieDate(std::string_view text);

}  // namespace vq
