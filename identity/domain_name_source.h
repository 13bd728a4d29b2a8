#pragma once
// Where the domain's short (NetBIOS) name comes from on a system that reads accounts from the
// name service: names such as "alice@corp.example" carry only the realm, which is not the short
// name Windows sends ("CORP"). Implementations: ConfiguredDomainName (a setting, then another
// source) and WinbindDomainName (winbind's own answer); tests give fakes.

#include <string>

namespace vq {

class DomainNameSource {
public:
    virtual ~DomainNameSource() = default;
    // The short name as the source gives it, or empty text when it has none. Never raises.
    virtual std::u16string ShortDomainName() noexcept = 0;
};

}  // namespace vq
