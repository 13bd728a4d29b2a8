#pragma once
// Number rules of the account summary: reading the server's number texts, and writing amounts in
// the fixed two-decimal notation with the user's decimal separator.

#include <cstdint>
#include <string>
#include <string_view>

namespace vq {

// Reads a number text of the server. Every "," and then every "." is replaced by the decimal
// separator first, so both serve as the decimal point and neither as a thousands separator.
// Accepted: optional spaces, an optional sign, digits with at most one decimal separator, an
// optional exponent ("E" or "e", optional sign, digits), optional spaces. Anything else, and a
// value too large for a double, gives `defaultValue`; a value too small for a double reads as 0.
double ServerStrToFloat(std::u16string_view text, double defaultValue, char16_t decimalSeparator);

// Fixed notation with two decimals: the value's decimal expansion to 18 significant digits,
// rounded at the second decimal with halves away from zero; no grouping; "-" only for a negative
// value that does not round to zero. A value with more than 18 integer digits is written in the
// general notation instead ("1E20", "-1,5E300"), as the fixed format of the platform does.
std::u16string FormatFixed(double value, char16_t decimalSeparator);

// balance / fullPayment * 100 in extended precision, rounded to the nearest whole number with
// halves to even. A result beyond the int64 range is clamped to it, and NaN gives 0.
std::int64_t BalancePercent(double balance, double fullPayment);

}  // namespace vq
