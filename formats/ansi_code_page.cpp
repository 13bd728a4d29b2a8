#include "formats/ansi_code_page.h"

#include <algorithm>

namespace vq {

SingleByteCodePage::SingleByteCodePage(const std::array<char16_t, 256>& characters)
    : characters_(characters) {
    for (int byte = 0; byte < 256; ++byte)
        bytes_by_character_[static_cast<std::size_t>(byte)] = {
            characters[static_cast<std::size_t>(byte)], static_cast<unsigned char>(byte)};
    std::stable_sort(bytes_by_character_.begin(), bytes_by_character_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ascii_as_is_ = true;
    for (std::size_t byte = 0; byte < 0x80; ++byte)
        if (characters[byte] != byte) ascii_as_is_ = false;
}

std::u16string SingleByteCodePage::Decode(std::string_view bytes) const {
    std::u16string text(bytes.size(), u'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(),
                   [this](char byte) { return characters_[static_cast<unsigned char>(byte)]; });
    return text;
}

std::string SingleByteCodePage::Encode(std::u16string_view text) const {
    std::string bytes(text.size(), '\0');
    std::transform(text.begin(), text.end(), bytes.begin(), [this](char16_t c) {
        if (c < 0x80 && ascii_as_is_) return static_cast<char>(c);
        const auto found = std::lower_bound(
            bytes_by_character_.begin(), bytes_by_character_.end(), c,
            [](const auto& entry, char16_t character) { return entry.first < character; });
        return found == bytes_by_character_.end() || found->first != c
                   ? '?'
                   : static_cast<char>(found->second);
    });
    return bytes;
}

namespace {

std::array<char16_t, 256> Latin1Table() {
    std::array<char16_t, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<char16_t>(i);
    return table;
}

std::array<char16_t, 256> Windows1251Table() {
    // 0x80..0xBF; the unassigned 0x98 maps to U+0098, as Windows maps it. Eight to a row, as the
    // code page's own tables print them.
    // clang-format off
    static constexpr char16_t kUpper[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
        0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
        0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
        0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
        0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
        0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
        0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    };
    // clang-format on
    std::array<char16_t, 256> table{};
    for (int i = 0; i < 128; ++i) table[i] = static_cast<char16_t>(i);
    for (int i = 0; i < 64; ++i) table[128 + i] = kUpper[i];
    // 0xC0..0xFF are А..я in alphabetical order.
    for (int i = 0; i < 64; ++i) table[192 + i] = static_cast<char16_t>(0x0410 + i);
    return table;
}

}  // namespace

const AnsiCodePage& Latin1CodePage() {
    static const SingleByteCodePage page(Latin1Table());
    return page;
}

const AnsiCodePage& Windows1251CodePage() {
    static const SingleByteCodePage page(Windows1251Table());
    return page;
}

}  // namespace vq
