// The URL-encoded INI reader of the value list and URLDecode. The first byte picks the code
// page and the text coding; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include "formats/ansi_code_page.h"
#include "formats/errors.h"
#include "formats/memory_registry.h"
#include "formats/url_encoding.h"
#include "formats/value_list.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool SameEntries(const vq::TValueList& a, const vq::TValueList& b) {
    if (a.GetCount() != b.GetCount()) return false;
    for (int i = 0; i < a.GetCount(); ++i)
        if (a.GetName(i) != b.GetName(i) || a.GetValue(i) != b.GetValue(i)) return false;
    return true;
}

void CheckUrlDecode(std::string_view bytes) {
    std::string decoded;
    try {
        decoded = vq::URLDecode(bytes);
    } catch (const vq::EConvertError&) {
        return;
    }
    // Every escape shrinks, nothing grows.
    VQ_FUZZ_CHECK(decoded.size() <= bytes.size());
    VQ_FUZZ_CHECK(vq::URLDecode(vq::URLEncode(decoded)) == decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const vq::AnsiCodePage& code_page =
        (data[0] & 1) ? vq::Windows1251CodePage() : vq::Latin1CodePage();
    const vq::TextCoding coding = (data[0] & 2) ? vq::TextCoding::Utf8 : vq::TextCoding::Ansi;

    CheckUrlDecode(text);

    vq::MemoryRegistry registry;
    vq::TValueList list(code_page, registry);
    try {
        list.SetURLEncodedINI(text, coding);
    } catch (const vq::EConvertError&) {
        // The pairs of the lines before the bad escape stay; they still round-trip.
    }
    // Lines that the list writes read back as the same list.
    const std::string written = list.GetURLEncodedINI();
    vq::TValueList again(code_page, registry);
    again.SetURLEncodedINI(written, vq::TextCoding::Ansi);
    VQ_FUZZ_CHECK(SameEntries(list, again));
    VQ_FUZZ_CHECK(again.GetURLEncodedINI() == written);
    return 0;
}
