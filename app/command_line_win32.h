#pragma once
// A command line split into arguments by the platform's rules (quotes and backslashes as
// CommandLineToArgvW reads them).

#include <string>
#include <vector>

namespace vq {

// Every argument, the program name first.
std::vector<std::u16string> SplitCommandLine(const wchar_t* command_line);

}  // namespace vq
