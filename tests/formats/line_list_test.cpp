#include "formats/line_list.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

std::vector<std::u16string> Load(std::string_view bytes) {
    LineList lines;
    lines.LoadFromBytes(bytes, Latin1CodePage());
    return lines.Lines();
}

TEST(LineList, SplitsAtEveryKindOfLineBreak) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::u16string> lines;
    };
    const std::vector<Case> cases = {
        {"empty buffer", "", {}},
        {"keyword and one field",
         "server_status_ok\r\nbalans=10\r\n",
         {u"server_status_ok", u"balans=10"}},
        {"no final line break", "a\r\nb", {u"a", u"b"}},
        {"lone LF and lone CR", "a\nb\rc", {u"a", u"b", u"c"}},
        {"LF before CR makes an empty line",
         "server_status_ok\n\rthird",
         {u"server_status_ok", u"", u"third"}},
        {"blank lines are kept", "a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
        {"only a line break", "\r\n", {u""}},
        {"a NUL ends the text", std::string("a\r\nb\0c\r\nd", 9), {u"a", u"b"}},
        {"bytes are decoded with the code page", "\xEF\xBB\xBFok", {u"\u00EF\u00BB\u00BFok"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.bytes), c.lines);
    }
}

TEST(LineList, AccountTextIsTheLinesAsUtf8WithCrLf) {
    LineList lines;
    lines.LoadFromBytes("server_status_ok\nbalans=10\rtarif=%D0%90\n", Latin1CodePage());
    EXPECT_EQ(AccountText(lines, 1), "balans=10\r\ntarif=%D0%90\r\n");  // the keyword skipped
    lines.Delete(0);
    EXPECT_EQ(AccountText(lines), "balans=10\r\ntarif=%D0%90\r\n");
}

TEST(LineList, ErrorTextReadsTheServersBytesAsUtf8) {
    LineList lines;
    // Windows-1251 workstation, server answering in UTF-8 with a byte order mark.
    lines.LoadFromBytes("\xEF\xBB\xBF\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0\n\xFF",
                        Windows1251CodePage());
    EXPECT_EQ(ErrorText(lines, Windows1251CodePage()), u"\uFEFFОшибка\r\n\uFFFD\r\n");
    EXPECT_EQ(ErrorText(LineList(), Windows1251CodePage()), u"");
}

}  // namespace
}  // namespace vq
