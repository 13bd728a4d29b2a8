#pragma once
// The platform's locale-aware upper-case conversion, used to compare names regardless of case.

#include <string>
#include <string_view>

namespace vq {

std::u16string UpperCase(std::u16string_view text);

}  // namespace vq
