#include <windows.h>

#include "app/program_environment.h"
#include "app/command_line_win32.h"

namespace vq {

std::vector<std::u16string> ProgramArguments() {
    auto arguments = SplitCommandLine(GetCommandLineW());
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program name
    return arguments;
}

std::filesystem::path ExecutablePath() {
    // The buffer grows until the whole path fits: paths may be longer than MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace vq
