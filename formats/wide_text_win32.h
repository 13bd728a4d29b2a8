#pragma once
// The system's UTF-16 text and the platform's wchar_t text are the same 16-bit units on Windows;
// these views pass one for the other without copying.

#include <string>
#include <string_view>

namespace vq {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* WidePtr(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::wstring ToWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}
inline std::u16string FromWide(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

}  // namespace vq
