#include "auth/cookie_date.h"

#include <array>
#include <cstddef>

namespace vq {
namespace {

// delimiter = %x09 / %x20-2F / %x3B-40 / %x5B-60 / %x7B-7E; everything else belongs to a token.
bool IsDelimiter(unsigned char c) {
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) ||
           (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads min_digits..max_digits digits at pos into value; the digits must be followed by the end
// of the token or a non-digit. Advances pos past the digits.
bool ReadNumber(std::string_view token, std::size_t& pos, std::size_t min_digits,
                std::size_t max_digits, int& value) {
    std::size_t count = 0;
    int number = 0;
    while (pos < token.size() && IsDigit(token[pos])) {
        if (++count > max_digits) return false;
        number = number * 10 + (token[pos] - '0');
        ++pos;
    }
    if (count < min_digits) return false;
    value = number;
    return true;
}

// time = time-field ":" time-field ":" time-field [ non-digit *OCTET ], time-field = 1*2DIGIT.
bool MatchTime(std::string_view token, int& hour, int& minute, int& second) {
    std::size_t pos = 0;
    int h = 0, m = 0, s = 0;
    if (!ReadNumber(token, pos, 1, 2, h) || pos >= token.size() || token[pos++] != ':')
        return false;
    if (!ReadNumber(token, pos, 1, 2, m) || pos >= token.size() || token[pos++] != ':')
        return false;
    if (!ReadNumber(token, pos, 1, 2, s)) return false;
    hour = h;
    minute = m;
    second = s;
    return true;
}

// day-of-month = 1*2DIGIT [ non-digit *OCTET ]; year = 2*4DIGIT [ non-digit *OCTET ].
bool MatchNumber(std::string_view token, std::size_t min_digits, std::size_t max_digits,
                 int& value) {
    std::size_t pos = 0;
    return ReadNumber(token, pos, min_digits, max_digits, value);
}

// month = ( "jan" / "feb" / ... / "dec" ) *OCTET, without regard to case; 1..12.
bool MatchMonth(std::string_view token, int& month) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (token.size() < 3) return false;
    char prefix[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = token[i];
        prefix[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (std::string_view(prefix, 3) == kMonths[i]) {
            month = static_cast<int>(i) + 1;
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::chrono::sys_seconds> ParseCookieDate(std::string_view text) {
    bool found_time = false, found_day = false, found_month = false, found_year = false;
    int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;

    // Each token is tried as time, day of month, month and year in that order; the first
    // production not yet found that matches takes it.
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsDelimiter(static_cast<unsigned char>(text[pos]))) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !IsDelimiter(static_cast<unsigned char>(text[pos]))) ++pos;
        const std::string_view token = text.substr(start, pos - start);
        if (token.empty()) break;

        if (!found_time && MatchTime(token, hour, minute, second)) {
            found_time = true;
        } else if (!found_day && MatchNumber(token, 1, 2, day)) {
            found_day = true;
        } else if (!found_month && MatchMonth(token, month)) {
            found_month = true;
        } else if (!found_year && MatchNumber(token, 2, 4, year)) {
            found_year = true;
        }
    }

    if (year >= 70 && year <= 99) year += 1900;
    if (year >= 0 && year <= 69) year += 2000;

    if (!found_time || !found_day || !found_month || !found_year) return std::nullopt;
    if (day < 1 || day > 31 || year < 1601 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }

    namespace chr = std::chrono;
    const chr::year_month_day date{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                   chr::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;  // 31 April, 29 February of a common year
    return chr::sys_days{date} + chr::hours{hour} + chr::minutes{minute} + chr::seconds{second};
}

}  // namespace vq
