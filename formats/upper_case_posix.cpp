#include "formats/upper_case.h"

namespace vq {

namespace {

// Lower-to-upper mapping of the scripts a workstation's names use: Latin, Greek and Cyrillic.
// The C library's towupper is not used because its answer depends on the process locale.
char16_t UpperChar(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs of capital and small letter; the few letters between the pairs keep their form.
        const bool odd_pairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (odd_pairs) return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
        return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
        return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
    return c;
}

}  // namespace

std::u16string UpperCase(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper) c = UpperChar(c);
    return upper;
}

}  // namespace vq
