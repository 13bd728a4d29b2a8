#pragma once
// The escaping of values in URL-encoded INI text. Both directions work on bytes: the value's
// UTF-8 bytes are escaped, and an escaped value decodes back to bytes.

#include <string>
#include <string_view>

namespace vq {

// Letters, digits and "_" are kept, a space becomes "+", every other byte becomes "%" and two
// upper-case hexadecimal digits.
std::string URLEncode(std::string_view bytes);

// "+" becomes a space and "%XY" the byte 0xXY; every other byte is kept. Decoding ends at a NUL
// byte. A "%" in the last place is dropped with what follows, and a "%" with one character after
// it at the end reads that one character as the whole number ("%4" gives 0x04). An escape whose
// characters are not hexadecimal raises EConvertError.
std::string URLDecode(std::string_view bytes);

}  // namespace vq
