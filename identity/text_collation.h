#pragma once
// The locale's case-insensitive ordering of texts, as the system's sorted name lists use it: on
// Windows CompareStringW with NORM_IGNORECASE in the user's locale; elsewhere the code units of
// the upper-cased texts.

#include <string_view>

namespace vq {

class TextCollation {
public:
    virtual ~TextCollation() = default;
    // Negative, zero or positive as a sorts before, equal to or after b.
    virtual int Compare(std::u16string_view a, std::u16string_view b) const = 0;
};

const TextCollation& LocaleCollation();

}  // namespace vq
