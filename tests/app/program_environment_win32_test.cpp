#include <gtest/gtest.h>

#include "app/command_line_win32.h"
#include "app/program_environment.h"

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
        {L"\"C:\\Program Files\\vq\\vq.exe\" \"server=http://a b/\"", {u"C:\\Program Files\\vq\\vq.exe", u"server=http://a b/"}},
        {L"vq.exe a\\\\\"b c\"", {u"vq.exe", u"a\\b c"}},
        {L"vq.exe \"\"", {u"vq.exe", u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.line)));
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
    }
}


}  // namespace
}  // namespace vq
