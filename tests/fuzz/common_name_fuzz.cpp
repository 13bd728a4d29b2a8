// The common-name rule of distinguished names. The input is taken as UTF-16LE.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include "identity/net_groups.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool HasCnPrefix(const std::u16string& dn) {
    for (std::size_t i = 0; i + 3 <= dn.size(); ++i)
        if ((dn[i] == u'C' || dn[i] == u'c') && (dn[i + 1] == u'N' || dn[i + 1] == u'n') &&
            dn[i + 2] == u'=')
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string dn;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        dn.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const std::optional<std::u16string> name = vq::CommonName(dn);
    VQ_FUZZ_CHECK(name.has_value() == HasCnPrefix(dn));
    if (name) VQ_FUZZ_CHECK(name->size() + 3 <= dn.size());
    return 0;
}
