#pragma once
// Runs a shell command and captures what it writes to standard output: the interoperability
// tests ask tools we did not write (unzip, python3, php) about the files we produce.

#include <string>
#include <string_view>

namespace vq::test {

struct CommandResult {
    int exit_code = -1;  // -1 when the command did not end normally
    std::string output;  // standard output, byte for byte
};

CommandResult RunCommand(const std::string& command);

// Quotes one argument for the shell that RunCommand uses (POSIX sh: single quotes; Windows cmd:
// double quotes, enough for paths and plain words).
std::string ShellQuote(std::string_view argument);

}  // namespace vq::test
