#include "formats/url_encoding.h"

#include "formats/ansi_code_page.h"
#include "formats/errors.h"
#include "formats/utf8.h"

namespace vq {

namespace {

bool IsKeptByte(unsigned char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= 'a' && byte <= 'z') || byte == '_';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The two characters after "%" are read as the hexadecimal number "$XY"; a NUL ends the number
// early, which is how "%4" at the very end reads as 4.
unsigned char EscapedByte(char first, char second) {
    unsigned value = 0;
    for (const char c : {first, second}) {
        if (c == '\0') break;
        const int digit = HexDigit(c);
        if (digit < 0) {
            std::string shown = "$";
            shown += first;
            if (first != '\0') shown += second;
            shown = shown.substr(0, shown.find('\0'));
            throw EConvertError("''" + Utf16ToUtf8(SystemAnsiCodePage().Decode(shown)) +
                                "'' is not a valid integer value");
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<unsigned char>(value & 0xFF);
}

}  // namespace

std::string URLEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsKeptByte(byte)) {
            encoded.push_back(c);
        } else if (byte == ' ') {
            encoded.push_back('+');
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

std::string URLDecode(std::string_view bytes) {
    if (bytes.empty()) return {};
    // The input is read with a NUL appended, so an escape cut short at the end sees the NUL as
    // its second character.
    std::string input(bytes);
    input.push_back('\0');
    const std::size_t length = input.size();

    std::string decoded;
    decoded.reserve(bytes.size());
    std::size_t i = 0;  // 0-based position of the byte being read
    while (i < length && input[i] != '\0') {
        const char c = input[i];
        if (c == '%') {
            if (i + 3 > length) break;  // "%" in the last place of the input
            decoded.push_back(static_cast<char>(EscapedByte(input[i + 1], input[i + 2])));
            i += 3;
        } else {
            decoded.push_back(c == '+' ? ' ' : c);
            ++i;
        }
    }
    return decoded;
}

}  // namespace vq
