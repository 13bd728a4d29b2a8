#pragma once
// The domain's short name from the system's configuration file, `[identity] Domain=`, and from
// another source (winbind) when the file has no such value or cannot be read. The setting comes
// first so that an administrator can name the domain where nothing else knows it (SSSD knows
// only the realm) or where winbind's answer is not the one wanted.

#include <string>
#include <string_view>

#include "identity/config_sources.h"
#include "identity/domain_name_source.h"

namespace vq {

inline constexpr std::u16string_view kIdentitySection = u"identity";
inline constexpr std::u16string_view kDomainKey = u"Domain";

class ConfiguredDomainName final : public DomainNameSource {
public:
    // Both are read on every call (nothing is cached) and must outlive this object.
    ConfiguredDomainName(const ConfigSources& sources, DomainNameSource& otherwise)
        : sources_(&sources), otherwise_(&otherwise) {}

    std::u16string ShortDomainName() noexcept override;

private:
    const ConfigSources* sources_;
    DomainNameSource* otherwise_;
};

}  // namespace vq
