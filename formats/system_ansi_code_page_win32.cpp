#include <windows.h>

#include "formats/ansi_code_page.h"

namespace vq {

namespace {

// The workstation's ANSI code page (CP_ACP) through MultiByteToWideChar / WideCharToMultiByte;
// characters it lacks become "?", the default character of WideCharToMultiByte.
class WindowsAnsiCodePage final : public AnsiCodePage {
public:
    std::u16string Decode(std::string_view bytes) const override {
        if (bytes.empty()) return {};
        const int size = static_cast<int>(bytes.size());
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
        std::u16string text(static_cast<std::size_t>(n), u'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                            n);
        return text;
    }

    std::string Encode(std::u16string_view text) const override {
        if (text.empty()) return {};
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int size = static_cast<int>(text.size());
        const int n = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide, size, bytes.data(), n, nullptr, nullptr);
        return bytes;
    }
};

}  // namespace

const AnsiCodePage& SystemAnsiCodePage() {
    static const WindowsAnsiCodePage page;
    return page;
}

}  // namespace vq
