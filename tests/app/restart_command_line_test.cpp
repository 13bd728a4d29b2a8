#include "app/restart_command_line.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(RestartCommandLine, QuotesOnlyWhatCommandLineToArgvWWouldSplitOrEat) {
    const struct {
        std::u16string argument, quoted;
    } cases[] = {
        {u"cdebug", u"cdebug"},
        {u"server=http://gate/", u"server=http://gate/"},
        {u"C:\\path\\to", u"C:\\path\\to"},  // backslashes alone stay
        {u"", u"\"\""},                      // an empty argument is kept
        {u"two words", u"\"two words\""},
        {u"say \"hi\"", u"\"say \\\"hi\\\"\""},    // a quote escaped
        {u"a\\\"b", u"\"a\\\\\\\"b\""},            // backslash before a quote doubled
        {u"C:\\my dir\\", u"\"C:\\my dir\\\\\""},  // trailing backslash doubled
        {u"Пётр Иванов", u"\"Пётр Иванов\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.quoted.begin(), c.quoted.end()));
        EXPECT_EQ(QuotedArgument(c.argument), c.quoted);
    }
    EXPECT_EQ(RestartCommandLine({u"cdebug", u"server=http://gate/"}),
              u"cdebug server=http://gate/");
    EXPECT_EQ(RestartCommandLine({}), u"");
}

}  // namespace
}  // namespace vq
