#include <windows.h>

#include "formats/upper_case.h"

namespace vq {

// CharUpperBuffW maps by the user's locale, as the system's own name comparisons do.
std::u16string UpperCase(std::u16string_view text) {
    std::u16string upper(text);
    if (!upper.empty())
        CharUpperBuffW(reinterpret_cast<wchar_t*>(upper.data()), static_cast<DWORD>(upper.size()));
    return upper;
}

}  // namespace vq
