#pragma once
// What the program knows of how it was started: its arguments and where its executable lies.
// The configuration and the connection log are given these; nothing in the core reads the
// process's command line itself.

#include <filesystem>
#include <string>
#include <vector>

namespace vq {

// The program's arguments, without the program name, split and unquoted by the platform's
// rules (CommandLineToArgvW on Windows).
std::vector<std::u16string> ProgramArguments();

// The executable's full path (GetModuleFileNameW on Windows).
std::filesystem::path ExecutablePath();

}  // namespace vq
