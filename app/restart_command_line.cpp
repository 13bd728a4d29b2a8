#include "app/restart_command_line.h"

namespace vq {

std::u16string QuotedArgument(const std::u16string& argument) {
    if (!argument.empty() && argument.find_first_of(u" \t\n\v\"") == std::u16string::npos)
        return argument;
    std::u16string quoted = u"\"";
    std::size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes stand for themselves, unless a quote follows: then each is doubled.
        quoted.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, u'\\');  // before the closing quote
    return quoted.append(u"\"");
}

std::u16string RestartCommandLine(const std::vector<std::u16string>& arguments) {
    std::u16string line;
    for (const auto& argument : arguments) {
        if (!line.empty()) line.push_back(u' ');
        line.append(QuotedArgument(argument));
    }
    return line;
}

}  // namespace vq
