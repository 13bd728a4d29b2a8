#include "identity/ini_text.h"

#include "formats/upper_case.h"
#include "formats/utf8.h"

namespace vq {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view name, const std::u16string& wanted_upper) {
    return UpperCase(Utf8ToUtf16(name)) == wanted_upper;
}

// A value written in quotes ("a b" or 'a b') is given without them, as the Windows reader does.
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value.remove_prefix(1);
        value.remove_suffix(1);
    }
    return value;
}

}  // namespace

std::u16string FindIniValue(std::string_view text, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_value) {
    if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
    const std::u16string wanted_section = UpperCase(section);
    const std::u16string wanted_key = UpperCase(key);

    bool in_section = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line =
            Trimmed(text.substr(0, end == std::string_view::npos ? text.size() : end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            // A header without its bracket ends the section before it and names none.
            in_section = close != std::string_view::npos &&
                         SameName(Trimmed(line.substr(1, close - 1)), wanted_section);
            continue;
        }
        if (!in_section) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos ||
            !SameName(Trimmed(line.substr(0, equals)), wanted_key))
            continue;
        std::u16string value = Utf8ToUtf16(Unquoted(Trimmed(line.substr(equals + 1))));
        if (value.size() > kIniValueMaxLength) value.resize(kIniValueMaxLength);
        return value;
    }
    return std::u16string(default_value);
}

}  // namespace vq
