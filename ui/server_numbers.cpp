#include "ui/server_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace vq {
namespace {

// The 18 significant digits of the platform's extended-precision decimal conversion.
constexpr int kSignificantDigits = 18;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A number text split into its parts, the mantissa and exponent kept as ASCII for from_chars.
struct NumberText {
    bool negative = false;
    std::string ascii;           // digits, "." and "e" part, no sign
    long long exponent = 0;      // the written exponent, saturated
    long long leadingPlace = 0;  // decimal place of the first non-zero mantissa digit
    bool allZero = true;
};

// Parses the whole text after the separator replacement; false when it is not a number.
bool ParseNumber(std::u16string_view s, char16_t separator, NumberText& out) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && s[i] == u' ') ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) out.negative = s[i++] == u'-';

    int digits = 0;
    bool point = false;
    long long integerDigits = 0;  // digits before the separator, leading zeros included
    long long firstNonZero = -1;  // index of the first non-zero digit among all mantissa digits
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (IsDigit(c)) {
            if (c != u'0' && firstNonZero < 0) firstNonZero = digits;
            out.ascii += static_cast<char>(c);
            ++digits;
            if (!point) ++integerDigits;
        } else if (c == separator && !point) {
            point = true;
            out.ascii += '.';
        } else {
            break;
        }
    }
    if (digits == 0) return false;

    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        out.ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == u'+' || s[i] == u'-')) {
            negativeExponent = s[i] == u'-';
            out.ascii += static_cast<char>(s[i++]);
        }
        const std::size_t start = i;
        constexpr long long kSaturated = 1'000'000'000;
        for (; i < n && IsDigit(s[i]); ++i) {
            out.ascii += static_cast<char>(s[i]);
            out.exponent = std::min(kSaturated, out.exponent * 10 + (s[i] - u'0'));
        }
        if (i == start) return false;
        if (negativeExponent) out.exponent = -out.exponent;
    }

    while (i < n && s[i] == u' ') ++i;
    if (i != n) return false;

    out.allZero = firstNonZero < 0;
    if (!out.allZero) out.leadingPlace = integerDigits - 1 - firstNonZero + out.exponent;
    return true;
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Adds one to a run of decimal digits, growing it on a carry out of the first digit.
void Increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// General notation of the 18 digits d1.d2...d18 x 10^exponent: trailing zeros trimmed, "E" and
// the exponent with a sign only when negative.
std::u16string GeneralNotation(bool negative, std::string digits, int exponent,
                               char16_t separator) {
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::u16string text = negative ? u"-" : u"";
    text += static_cast<char16_t>(digits[0]);
    if (digits.size() > 1) {
        text += separator;
        text += Widen(std::string_view(digits).substr(1));
    }
    text += u'E';
    text += Widen(std::to_string(exponent));
    return text;
}

}  // namespace

double ServerStrToFloat(std::u16string_view text, double defaultValue, char16_t decimalSeparator) {
    std::u16string replaced(text);
    std::replace(replaced.begin(), replaced.end(), u',', decimalSeparator);
    std::replace(replaced.begin(), replaced.end(), u'.', decimalSeparator);

    NumberText number;
    if (!ParseNumber(replaced, decimalSeparator, number)) return defaultValue;

    double value = 0;
    const char* first = number.ascii.data();
    const char* last = first + number.ascii.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (end != last) return defaultValue;
    if (error == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is no usable number.
        if (number.allZero || number.leadingPlace < 0)
            value = 0;
        else
            return defaultValue;
    } else if (error != std::errc()) {
        return defaultValue;
    }
    if (!std::isfinite(value)) return defaultValue;
    return number.negative ? -value : value;
}

std::u16string FormatFixed(double value, char16_t decimalSeparator) {
    if (std::isnan(value)) return u"NAN";
    if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    std::string digits;  // the 18 significant digits
    int exponent = 0;    // of the first digit
    if (magnitude != 0) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                          std::chars_format::scientific, kSignificantDigits - 1);
        const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
        const std::size_t e = scientific.find('e');
        digits += scientific[0];
        digits += scientific.substr(2, e - 2);
        std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1),
                        scientific.data() + scientific.size(), exponent);
    } else {
        digits.assign(kSignificantDigits, '0');
    }

    const int integerDigits = exponent + 1;
    if (integerDigits > kSignificantDigits)
        return GeneralNotation(negative, digits, exponent, decimalSeparator);

    // The value in hundredths: the digits down to the second decimal, rounded on the next one.
    const int keep = integerDigits + 2;
    std::string hundredths;
    if (keep >= 0) {
        hundredths = digits.substr(0, static_cast<std::size_t>(std::min(keep, kSignificantDigits)));
        if (keep > kSignificantDigits) hundredths.append(keep - kSignificantDigits, '0');
        if (keep < kSignificantDigits && digits[keep] >= '5') Increment(hundredths);
    }
    hundredths.erase(0, std::min(hundredths.find_first_not_of('0'), hundredths.size()));
    const bool zero = hundredths.empty();
    if (hundredths.size() < 3) hundredths.insert(0, 3 - hundredths.size(), '0');

    std::u16string text = negative && !zero ? u"-" : u"";
    text += Widen(std::string_view(hundredths).substr(0, hundredths.size() - 2));
    text += decimalSeparator;
    text += Widen(std::string_view(hundredths).substr(hundredths.size() - 2));
    return text;
}

std::int64_t BalancePercent(double balance, double fullPayment) {
    // The quotient and the product are each rounded to extended precision, as the x87 unit does.
    const long double percent =
        static_cast<long double>(balance) / static_cast<long double>(fullPayment) * 100.0L;
    if (std::isnan(percent)) return 0;
    // 2^63 is exact in long double; below it the 64-bit mantissa leaves no fraction to round.
    constexpr long double kLimit = 9223372036854775808.0L;
    if (percent >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (percent < -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(std::llrint(percent));
}

}  // namespace vq
