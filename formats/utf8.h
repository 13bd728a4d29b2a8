#pragma once
// UTF-8 <-> UTF-16 conversions. Bytes that are not valid UTF-8, and lone surrogates, become the
// replacement character U+FFFD (one for each maximal invalid subpart, as Windows and the WHATWG
// decoder do).

#include <string>
#include <string_view>

namespace vq {

std::u16string Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace vq
