#include <gtest/gtest.h>

#include "app/command_line_win32.h"
#include "app/program_environment.h"
#include "app/restart_command_line.h"

namespace vq {
namespace {

TEST(CommandLine, SplitsByThePlatformsRules) {
    struct Case {
        const wchar_t* line;
        std::vector<std::u16string> arguments;
    };
    const std::vector<Case> cases = {
        {L"vq.exe", {u"vq.exe"}},
        {L"vq.exe cdebug server=http://gate/", {u"vq.exe", u"cdebug", u"server=http://gate/"}},
        {L"\"C:\\Program Files\\vq\\vq.exe\" \"server=http://a b/\"",
         {u"C:\\Program Files\\vq\\vq.exe", u"server=http://a b/"}},
        {L"vq.exe a\\\\\"b c\"", {u"vq.exe", u"a\\b c"}},
        {L"vq.exe \"\"", {u"vq.exe", u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.line)));
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
    }
}

// The restart command line is read back by the platform's own splitter as the arguments were.
TEST(CommandLine, RestartCommandLineSplitsBackIntoTheSameArguments) {
    const std::vector<std::u16string> arguments = {
        u"cdebug",       u"server=http://gate/", u"",
        u"two words",    u"say \"hi\"",          u"a\\\"b",
        u"C:\\my dir\\", u"Пётр Иванов",         u"\\\\server\\share\\"};
    const std::u16string line = u"vq.exe " + RestartCommandLine(arguments);
    std::vector<std::u16string> expected = {u"vq.exe"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(SplitCommandLine(reinterpret_cast<const wchar_t*>(line.c_str())), expected);
}

}  // namespace
}  // namespace vq
