#include "auth/exchange_error.h"

namespace vq {

bool IsLocalSocketError(const std::error_code& error) {
    const auto condition = error.default_error_condition();
    if (condition.category() != std::generic_category()) return false;
    switch (static_cast<std::errc>(condition.value())) {
        case std::errc::address_in_use:
        case std::errc::address_not_available:
        case std::errc::address_family_not_supported:
        case std::errc::no_buffer_space:
        case std::errc::too_many_files_open:
        case std::errc::too_many_files_open_in_system:
            return true;
        default:
            return false;
    }
}

}  // namespace vq
