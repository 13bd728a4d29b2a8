#include "formats/locale_code_page.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(CodePageForLocaleTest, CyrillicLanguagesGetWindows1251AndTheRestLatin1) {
    const struct {
        const char* locale;
        const AnsiCodePage* expected;
    } cases[] = {
        {"ru_RU.UTF-8", &Windows1251CodePage()},
        {"ru", &Windows1251CodePage()},
        {"uk_UA.utf8", &Windows1251CodePage()},
        {"be_BY@latin", &Windows1251CodePage()},
        {"sr_RS", &Windows1251CodePage()},
        {"sr_RS@latin", &Latin1CodePage()},
        {"en_US.UTF-8", &Latin1CodePage()},
        {"C", &Latin1CodePage()},
        {"", &Latin1CodePage()},
        {"rus", &Latin1CodePage()},
        {"de_DE@euro", &Latin1CodePage()},
    };
    for (const auto& c : cases) EXPECT_EQ(&CodePageForLocale(c.locale), c.expected) << c.locale;
}

}  // namespace
}  // namespace vq
