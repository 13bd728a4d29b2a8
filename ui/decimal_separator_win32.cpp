#include "ui/decimal_separator.h"

#include <windows.h>

namespace vq {

char16_t LocaleDecimalSeparator() {
    // LOCALE_SDECIMAL allows up to three characters plus the terminator.
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) <= 0 || buffer[0] == 0)
        return u'.';
    return static_cast<char16_t>(buffer[0]);
}

}  // namespace vq
