#pragma once
// The user's locale decimal separator, which the account summary uses both to read the server's
// numbers and to write amounts, so that reading and writing always agree.

namespace vq {

// The first character of the user's decimal separator; '.' when it cannot be read.
char16_t LocaleDecimalSeparator();

}  // namespace vq
