#pragma once
// AddressChangeNotification: calls back when an IP address of the machine is added or changed (a
// network cable plugged in, a Wi-Fi or VPN connection made, a new DHCP lease), so the worker can
// authorize on the new network at once instead of at the end of its pause.
//
// The IP helper library is not one of Windows' known DLLs: it is loaded from the system folder by
// its full path, after start-up. Where it or its notification is missing (Wine answers the
// registration without ever calling back), there is simply no notification.

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <functional>

#include "formats/system_library_win32.h"

namespace vq {

class AddressChangeNotification {
public:
    // on_change runs on a thread of the system's, possibly several times for one change; it must
    // be quick and must not destroy this object.
    explicit AddressChangeNotification(std::function<void()> on_change);
    // Returns once no call of on_change is running or will run.
    ~AddressChangeNotification();
    AddressChangeNotification(const AddressChangeNotification&) = delete;
    AddressChangeNotification& operator=(const AddressChangeNotification&) = delete;

    bool Registered() const { return handle_ != nullptr; }

    // What a notification of the given type means: added or changed addresses count, removed ones
    // do not (an address going away gives nothing to authorize on; the new one will be added).
    static bool IsAddressAddedOrChanged(MIB_NOTIFICATION_TYPE type);

private:
    static void NETIOAPI_API_ Callback(void* context, MIB_UNICASTIPADDRESS_ROW* row,
                                       MIB_NOTIFICATION_TYPE type);

    std::function<void()> on_change_;
    SystemLibrary library_{L"iphlpapi.dll"};
    HANDLE handle_ = nullptr;
};

}  // namespace vq
