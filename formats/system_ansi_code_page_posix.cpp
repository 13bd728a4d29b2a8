#include <cstdlib>

#include "formats/ansi_code_page.h"
#include "formats/locale_code_page.h"

namespace vq {

namespace {

// The locale of character handling as the C library picks it: LC_ALL, then LC_CTYPE, then LANG.
std::string_view CharacterLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "C";
}

}  // namespace

// A system without an ANSI code page: the code page a Windows workstation in the user's locale
// would have, so account text and the server's answers go as they do from Windows.
const AnsiCodePage& SystemAnsiCodePage() {
    static const AnsiCodePage& code_page = CodePageForLocale(CharacterLocale());
    return code_page;
}

}  // namespace vq
