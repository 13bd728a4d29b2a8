#include "identity/ini_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/utf8.h"

namespace vq {
namespace {

TEST(IniText, FindsTheItemAsTheWindowsProfileReaderDoes) {
    struct Case {
        const char* name;
        std::string text;
        std::u16string expected;  // for [server] ServerName, default "DEFAULT"
    };
    const std::vector<Case> cases = {
        {"plain item", "[server]\nServerName=http://a/\n", u"http://a/"},
        {"names regardless of letter case", "[SERVER]\nservername=http://a/\n", u"http://a/"},
        {"blanks around names and value dropped",
         "  [ server ]  \n\t ServerName \t=  http://a/ \t\n", u"http://a/"},
        {"CR LF line ends", "[server]\r\nServerName=http://a/\r\nOther=x\r\n", u"http://a/"},
        {"byte-order mark skipped", "\xEF\xBB\xBF[server]\nServerName=http://a/", u"http://a/"},
        {"last line without a line end", "[server]\nServerName=http://a/", u"http://a/"},
        {"first of two items wins", "[server]\nServerName=one\nServerName=two\n", u"one"},
        {"first of two sections wins", "[server]\nServerName=one\n[server]\nServerName=two\n",
         u"one"},
        {"item in a later section of the same name",
         "[server]\nOther=x\n[proxy]\nServerName=no\n[Server]\nServerName=yes\n", u"yes"},
        {"semicolon and hash comment lines",
         "[server]\n;ServerName=semicolon\n  # ServerName=hash\nServerName=real\n", u"real"},
        {"a semicolon inside the value is part of it", "[server]\nServerName=http://a/ ; note\n",
         u"http://a/ ; note"},
        {"everything after the first '=' is the value", "[server]\nServerName==a=b\n", u"=a=b"},
        {"quotes around the value dropped", "[server]\nServerName=\" http://a/ \"\n",
         u" http://a/ "},
        {"unmatched quote kept", "[server]\nServerName=\"http://a/\n", u"\"http://a/"},
        {"empty value is a value", "[server]\nServerName=\n", u""},
        {"UTF-8 value", "[server]\nServerName=http://шлюз.corp/\n", u"http://шлюз.corp/"},
        {"item outside the section", "ServerName=http://a/\n[server]\nOther=x\n", u"DEFAULT"},
        {"item in another section", "[proxy]\nServerName=http://a/\n", u"DEFAULT"},
        {"key as a prefix does not match", "[server]\nServerNameX=http://a/\n", u"DEFAULT"},
        {"line without '='", "[server]\nServerName\n", u"DEFAULT"},
        {"header without its bracket names no section", "[server\nServerName=http://a/\n",
         u"DEFAULT"},
        {"empty file", "", u"DEFAULT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindIniValue(c.text, u"server", u"ServerName", u"DEFAULT"), c.expected);
    }
}

TEST(IniText, CutsLongValuesAtTheReadersLimit) {
    for (const std::size_t length :
         {kIniValueMaxLength, kIniValueMaxLength + 1, std::size_t{100000}}) {
        SCOPED_TRACE(length);
        const std::string value(length, 'v');
        const std::u16string read =
            FindIniValue("[server]\nServerName=" + value + "\n", u"server", u"ServerName", u"");
        EXPECT_EQ(read, std::u16string(std::min(length, kIniValueMaxLength), u'v'));
    }
}

}  // namespace
}  // namespace vq
