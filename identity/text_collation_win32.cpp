#include <windows.h>

#include <stdexcept>

#include "identity/text_collation.h"

namespace vq {

namespace {

// CompareStringW in the user's locale ignoring case: the ordering Windows' own name lists use.
class Win32LocaleCollation final : public TextCollation {
public:
    int Compare(std::u16string_view a, std::u16string_view b) const override {
        const int result =
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                           reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                           reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
        if (result == 0) throw std::runtime_error("CompareStringW failed");
        return result - CSTR_EQUAL;
    }
};

}  // namespace

const TextCollation& LocaleCollation() {
    static const Win32LocaleCollation collation;  // holds no state
    return collation;
}

}  // namespace vq
