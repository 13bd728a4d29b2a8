#pragma once
// The command line with which Windows starts the program again after an installer's restart
// manager has closed it: the program's own arguments, each quoted so that CommandLineToArgvW reads
// it back as it was.

#include <string>
#include <vector>

namespace vq {

// One argument as CommandLineToArgvW reads it back: plain when it has no blank, tab, line break or
// quote; otherwise in quotes, with a quote escaped by a backslash and the backslashes before a
// quote (or before the closing quote) doubled.
std::u16string QuotedArgument(const std::u16string& argument);

// The arguments quoted and joined by single blanks (the program's name is not part of it).
std::u16string RestartCommandLine(const std::vector<std::u16string>& arguments);

}  // namespace vq
