#pragma once
// An input/output failure of a file the program writes (the connection log): it carries the
// operating system's error code and names the file in its text.

#include <string>
#include <string_view>

#include "formats/errors.h"
#include "formats/utf8.h"

namespace vq {

class EInOutError : public Exception {
public:
    // what() reads: ACTION "FILE": SYSTEM TEXT (OS error CODE)
    EInOutError(std::string_view action, std::u16string_view file, int error_code,
                std::string_view system_text)
        : Exception(Text(action, file, error_code, system_text)), error_code_(error_code) {}

    // errno on POSIX systems, GetLastError() on Windows.
    int error_code() const { return error_code_; }

private:
    static std::string Text(std::string_view action, std::u16string_view file, int error_code,
                            std::string_view system_text) {
        std::string text(action);
        text += " \"" + Utf16ToUtf8(file) + "\": ";
        text += system_text;
        text += " (OS error " + std::to_string(error_code) + ")";
        return text;
    }

    int error_code_;
};

}  // namespace vq
