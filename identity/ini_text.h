#pragma once
// Looking up one item in the text of an INI file, the way the Windows profile reader
// (GetPrivateProfileStringW) answers it, for systems that have no such reader.

#include <cstddef>
#include <string>
#include <string_view>

namespace vq {

// The longest value the reader gives, in UTF-16 code units (the Windows reader's buffer of 2048
// with its terminating NUL).
inline constexpr std::size_t kIniValueMaxLength = 2047;

// The value of key in section, or default_value when no such item is there. The text is UTF-8
// (a byte-order mark is skipped; invalid bytes become U+FFFD), its lines end in LF or CR LF.
// Section and key names compare regardless of letter case; blanks around names and values are
// dropped, and one pair of matching quotes around a value. Lines beginning with ';' or '#' are
// comments; a ';' later in a line is part of the value, as on Windows. Of several items with the
// same name, in one section or in several sections of the same name, the first wins. Values
// longer than kIniValueMaxLength are cut there.
std::u16string FindIniValue(std::string_view text, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_value);

}  // namespace vq
