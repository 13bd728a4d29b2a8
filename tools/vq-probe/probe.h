#pragma once
// vq-probe: exchanges with an access server exactly as the workstation client makes them,
// printed for a person or a script to read.
//
//   vq-probe [--set NAME=VALUE]... [--repeat N] [--fields] [--trace] BASE_URL
//   vq-probe --loop [--user SAM] [--display NAME] [--group LINE]... [--passes N] [--trace] BASE_URL

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vq::probe {

struct Options {
    std::vector<std::pair<std::u16string, std::u16string>> values;  // --set, in order
    long repeat = 1;
    bool fields = false;
    bool trace = false;  // request heads on standard error
    bool help = false;
    // --loop: the real worker with a console standing in for the window.
    bool loop = false;
    std::optional<std::u16string> user, display;
    std::vector<std::u16string> groups;
    long passes = 0;  // 0: until interrupted
    std::u16string base_url;

    bool HasIdentity() const { return user || display || !groups.empty(); }
};

// Reads the arguments (without the program name). Raises std::invalid_argument with a message
// for the user on a mistake.
Options ParseOptions(const std::vector<std::u16string>& arguments);

std::string UsageText();

// Runs the exchanges. Exit status: 0 all done, 1 an exchange failed, 2 wrong arguments.
int Run(const std::vector<std::u16string>& arguments, std::ostream& out, std::ostream& err,
        std::chrono::milliseconds read_timeout = std::chrono::milliseconds(30000));

}  // namespace vq::probe
