#include "tests/support/run_command.h"

#include <cstdio>
#include <memory>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace vq::test {

namespace {

struct PipeCloser {
    int* status;
    void operator()(std::FILE* pipe) const {
#ifdef _WIN32
        *status = _pclose(pipe);
#else
        *status = pclose(pipe);
#endif
    }
};

}  // namespace

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    int status = -1;
    {
#ifdef _WIN32
        std::unique_ptr<std::FILE, PipeCloser> pipe(_popen(command.c_str(), "rb"),
                                                    PipeCloser{&status});
#else
        std::unique_ptr<std::FILE, PipeCloser> pipe(popen(command.c_str(), "r"),
                                                    PipeCloser{&status});
#endif
        if (!pipe) return result;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
            result.output.append(buffer, n);
    }
#ifdef _WIN32
    result.exit_code = status;
#else
    result.exit_code = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

std::string ShellQuote(std::string_view argument) {
#ifdef _WIN32
    return "\"" + std::string(argument) + "\"";
#else
    std::string quoted = "'";
    for (const char ch : argument) {
        if (ch == '\'')
            quoted += "'\\''";
        else
            quoted += ch;
    }
    return quoted + "'";
#endif
}

}  // namespace vq::test
