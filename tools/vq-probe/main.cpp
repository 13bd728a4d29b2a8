#include <iostream>

#include "formats/utf8.h"
#include "tools/vq-probe/probe.h"

int main(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(vq::Utf8ToUtf16(argv[i]));
    return vq::probe::Run(arguments, std::cout, std::cerr);
}
