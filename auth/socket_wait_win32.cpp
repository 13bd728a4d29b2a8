#include "auth/socket_wait.h"

#include <winsock2.h>

namespace vq {

bool WaitForSocket(NativeSocket socket, SocketWaitFor what, std::chrono::milliseconds timeout,
                   std::error_code& error) {
    WSAPOLLFD entry{};
    entry.fd = static_cast<SOCKET>(socket);
    entry.events = what == SocketWaitFor::Reading ? POLLRDNORM : POLLWRNORM;
    const auto wait = timeout.count() > 0x7FFFFFFF ? 0x7FFFFFFF : timeout.count();
    const int ready = WSAPoll(&entry, 1, static_cast<INT>(wait > 0 ? wait : 0));
    if (ready > 0) return true;
    if (ready == 0) return false;
    error = std::error_code(WSAGetLastError(), std::system_category());
    return true;
}

}  // namespace vq
