#pragma once
// Text split into lines the one way the system splits them everywhere: a line ends at CR LF, at
// a lone CR or at a lone LF; a line break at the very end adds no empty line; the text ends at
// its first NUL character.

#include <string_view>
#include <vector>

namespace vq {

std::vector<std::u16string_view> SplitLines(std::u16string_view text);

}  // namespace vq
