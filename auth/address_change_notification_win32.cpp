#include "auth/address_change_notification_win32.h"

namespace vq {

AddressChangeNotification::AddressChangeNotification(std::function<void()> on_change)
    : on_change_(std::move(on_change)) {
    const auto notify =
        library_.Find<decltype(::NotifyUnicastIpAddressChange)>("NotifyUnicastIpAddressChange");
    if (!notify || !library_.Find<decltype(::CancelMibChangeNotify2)>("CancelMibChangeNotify2"))
        return;
    HANDLE handle = nullptr;
    // Both IPv4 and IPv6; no call for the addresses there are now.
    if (notify(AF_UNSPEC, &AddressChangeNotification::Callback, this, FALSE, &handle) == NO_ERROR)
        handle_ = handle;
}

AddressChangeNotification::~AddressChangeNotification() {
    if (!handle_) return;
    // Waits for a callback in progress, so on_change_ is never called on a destroyed object.
    library_.Find<decltype(::CancelMibChangeNotify2)>("CancelMibChangeNotify2")(handle_);
}

bool AddressChangeNotification::IsAddressAddedOrChanged(MIB_NOTIFICATION_TYPE type) {
    return type == MibAddInstance || type == MibParameterNotification;
}

void NETIOAPI_API_ AddressChangeNotification::Callback(void* context, MIB_UNICASTIPADDRESS_ROW*,
                                                       MIB_NOTIFICATION_TYPE type) {
    if (!IsAddressAddedOrChanged(type)) return;
    try {
        static_cast<AddressChangeNotification*>(context)->on_change_();
    } catch (...) {
        // Nothing may leave a callback into the system.
    }
}

}  // namespace vq
