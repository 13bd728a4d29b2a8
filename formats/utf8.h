#pragma once
// UTF-8 <-> UTF-16 conversions. Bytes that are not valid UTF-8, and lone surrogates, become the
// replacement character U+FFFD (one for each maximal invalid subpart, as Windows and the WHATWG
// decoder do).

#include <string>
#include <string_view>

namespace vq {

std::u16string Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view text);

// The length of bytes without a UTF-8 sequence that is begun at its end but not finished (a lead
// byte followed by fewer continuation bytes than it announces): what a writer of UTF-8 arriving
// in pieces may convert now, keeping the rest for the next piece.
std::size_t Utf8CompletePrefixLength(std::string_view bytes);

}  // namespace vq
