#include "app/program_environment.h"

#include <fstream>
#include <iterator>

#include "formats/utf8.h"

namespace vq {

// Linux keeps the arguments, NUL-separated, in /proc/self/cmdline.
std::vector<std::u16string> ProgramArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::u16string> arguments;
    std::size_t start = 0;
    bool program_name = true;
    while (start < all.size()) {
        auto end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        if (!program_name) arguments.push_back(Utf8ToUtf16(all.substr(start, end - start)));
        program_name = false;
        start = end + 1;
    }
    return arguments;
}

std::filesystem::path ExecutablePath() {
    std::error_code ignored;
    return std::filesystem::read_symlink("/proc/self/exe", ignored);
}

}  // namespace vq
