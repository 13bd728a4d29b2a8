#include <windows.h>

#include <iostream>

#include "tools/vq-probe/probe.h"

// The arguments arrive as UTF-16; the account fields are printed in UTF-8, so a console is
// switched to UTF-8 output.
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return vq::probe::Run(arguments, std::cout, std::cerr);
}
