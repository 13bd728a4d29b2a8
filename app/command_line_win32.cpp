#include "app/command_line_win32.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

namespace vq {

namespace {

// CommandLineToArgvW's array is one LocalAlloc block.
struct LocalFreeDeleter {
    void operator()(LPWSTR* block) const { LocalFree(block); }
};

}  // namespace

std::vector<std::u16string> SplitCommandLine(const wchar_t* command_line) {
    std::vector<std::u16string> arguments;
    // An empty command line would make CommandLineToArgvW answer the executable's path instead.
    if (command_line == nullptr || *command_line == L'\0') return arguments;
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(CommandLineToArgvW(command_line, &count));
    if (!argv) return arguments;
    for (int i = 0; i < count; ++i)
        arguments.emplace_back(reinterpret_cast<const char16_t*>(argv.get()[i]));
    return arguments;
}

}  // namespace vq
