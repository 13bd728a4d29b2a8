#pragma once
// The domain's short name as winbind knows it: the first line of `wbinfo --own-domain`. The
// program runs without a shell, with no input, within a time limit and with its output bounded;
// a system without winbind (no wbinfo, or winbindd not running) gives no answer.

#include <chrono>
#include <cstddef>
#include <string>
#include <utility>

#include "identity/domain_name_source.h"

namespace vq {

// More than a NetBIOS name and its line end could ever take; a longer answer is not one.
inline constexpr std::size_t kWinbindOutputLimit = 4096;
// wbinfo answers at once from a running winbindd; the user waits while it does not.
inline constexpr std::chrono::milliseconds kWinbindTimeLimit{2000};

class WinbindDomainName final : public DomainNameSource {
public:
    // program is looked up in PATH when it has no slash.
    explicit WinbindDomainName(std::string program = "wbinfo",
                               std::chrono::milliseconds time_limit = kWinbindTimeLimit)
        : program_(std::move(program)), time_limit_(time_limit) {}

    std::u16string ShortDomainName() noexcept override;

private:
    std::string program_;
    std::chrono::milliseconds time_limit_;
};

}  // namespace vq
