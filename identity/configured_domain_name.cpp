#include "identity/configured_domain_name.h"

namespace vq {

namespace {

// Spaces and tabs around the value are an editor's, not the name's.
std::u16string Trimmed(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos) return {};
    const auto last = text.find_last_not_of(u" \t");
    return std::u16string(text.substr(first, last - first + 1));
}

}  // namespace

std::u16string ConfiguredDomainName::ShortDomainName() noexcept {
    try {
        if (sources_->IniFileExists()) {
            std::u16string setting =
                Trimmed(sources_->ReadIniString(kIdentitySection, kDomainKey, u""));
            if (!setting.empty()) return setting;
        }
    } catch (...) {
        // An unreadable file names no domain; the other source may still know it.
    }
    return otherwise_->ShortDomainName();
}

}  // namespace vq
