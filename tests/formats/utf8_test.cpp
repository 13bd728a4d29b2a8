#include "formats/utf8.h"

#include <gtest/gtest.h>

#include "formats/ansi_code_page.h"
#include "formats/upper_case.h"

namespace vq {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::u16string text = u"abc Отдел \u20AC \U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"Отдел"), "\xD0\x9E\xD1\x82\xD0\xB4\xD0\xB5\xD0\xBB");
}

TEST(Utf8, InvalidBytesBecomeReplacementCharacters) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"lone continuation", "a\x80z", u"a\uFFFDz"},
        {"truncated sequence at the end", "a\xD0", u"a\uFFFD"},
        {"truncated three-byte sequence is one subpart", "\xE2\x82z", u"\uFFFDz"},
        {"overlong encoding", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"byte order mark is kept", "\xEF\xBB\xBFx", u"\uFEFFx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text);
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(Utf8, CompletePrefixHoldsBackOnlyAnUnfinishedSequenceAtTheEnd) {
    const struct {
        const char* bytes;
        std::size_t complete;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"\xD0\x98", 2},          // И whole
        {"a\xD0", 1},             // И begun
        {"\xE2\x82\xAC", 3},      // € whole
        {"\xE2\x82", 0},          // € begun, two bytes of three
        {"x\xF0\x9F\x98", 1},     // four-byte sequence, three bytes of four
        {"\xF0\x9F\x98\x80", 4},  // and whole
        {"\x98\x98\x98\x98", 4},  // stray continuation bytes: nothing to wait for
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Utf8CompletePrefixLength(c.bytes), c.complete);
    }
}

TEST(AnsiCodePage, Windows1251MapsCyrillicAndMarksTheMissing) {
    const auto& cp = Windows1251CodePage();
    EXPECT_EQ(cp.Decode("\xCE\xF2\xE4\xE5\xEB \xA8\xB8"), u"Отдел Ёё");
    EXPECT_EQ(cp.Encode(u"Отдел €"), "\xCE\xF2\xE4\xE5\xEB \x88");
    EXPECT_EQ(cp.Encode(u"\u00E9\u4E2D"), "??");
    EXPECT_EQ(Latin1CodePage().Decode("\xEF\xBB\xBF"), u"\u00EF\u00BB\u00BF");
    EXPECT_EQ(Latin1CodePage().Encode(u"\u00FF\u0100"), "\xFF?");
}

TEST(UpperCase, FoldsLatinGreekAndCyrillic) {
    EXPECT_EQ(UpperCase(u"username_1"), u"USERNAME_1");
    EXPECT_EQ(UpperCase(u"отдел ёж"), u"ОТДЕЛ ЁЖ");
    EXPECT_EQ(UpperCase(u"\u00E9t\u00E9"), u"\u00C9T\u00C9");
}

}  // namespace
}  // namespace vq
