#include <windows.h>

#include <iostream>

#include "tools/vq-probe/console_output_win32.h"
#include "tools/vq-probe/probe.h"

// The arguments arrive as UTF-16; everything is printed in UTF-8, which a console shows through
// WriteConsoleW without its code page being changed.
int wmain(int argc, wchar_t** argv) {
    const vq::probe::ConsoleOutput output(STD_OUTPUT_HANDLE, std::cout);
    const vq::probe::ConsoleOutput errors(STD_ERROR_HANDLE, std::cerr);
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return vq::probe::Run(arguments, std::cout, std::cerr);
}
