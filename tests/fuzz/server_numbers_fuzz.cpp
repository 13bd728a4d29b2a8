// ServerStrToFloat and FormatFixed. The first byte picks the decimal separator; the rest is the
// number text (one byte per character). Eight bytes of the input are also written as a double.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include "tests/fuzz/fuzz_check.h"
#include "ui/server_numbers.h"

namespace {

void CheckFormat(double value, char16_t separator) {
    if (!std::isfinite(value)) return;
    const std::u16string text = vq::FormatFixed(value, separator);
    VQ_FUZZ_CHECK(!text.empty() && text.size() <= 40);
    for (const char16_t c : text)
        VQ_FUZZ_CHECK((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'E' ||
                      c == separator);
    // The text reads back as the value, to the rounding it was written with (two decimals, or
    // the double's own precision for large values).
    const double back = vq::ServerStrToFloat(text, NAN, separator);
    VQ_FUZZ_CHECK(std::isfinite(back));
    VQ_FUZZ_CHECK(std::fabs(back - value) <= 0.0051 + std::fabs(value) * 1e-14);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char16_t separator = (data[0] & 1) ? u',' : u'.';
    std::u16string text;
    for (std::size_t i = 1; i < size; ++i) text.push_back(static_cast<char16_t>(data[i]));
    const double value = vq::ServerStrToFloat(text, NAN, separator);
    // Finite, or the default for text that is not a number.
    VQ_FUZZ_CHECK(std::isfinite(value) || std::isnan(value));
    CheckFormat(value, separator);
    if (size >= 9) {
        double raw;
        std::memcpy(&raw, data + 1, sizeof raw);
        CheckFormat(raw, separator);
        (void)vq::BalancePercent(raw, value);
    }
    return 0;
}
