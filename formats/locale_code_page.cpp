#include "formats/locale_code_page.h"

#include <array>

namespace vq {

const AnsiCodePage& CodePageForLocale(std::string_view locale) {
    static constexpr std::array<std::string_view, 12> kCyrillic{
        "ru", "uk", "be", "bg", "mk", "kk", "ky", "tt", "ba", "sah", "mn", "sr"};
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    for (const std::string_view cyrillic : kCyrillic) {
        if (language != cyrillic) continue;
        // Serbian is written in Latin letters unless the locale says Cyrillic.
        if (language == "sr" && locale.find("@latin") != std::string_view::npos) break;
        return Windows1251CodePage();
    }
    return Latin1CodePage();
}

}  // namespace vq
