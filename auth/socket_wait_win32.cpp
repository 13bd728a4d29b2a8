#include "auth/socket_wait.h"

#include <winsock2.h>

namespace vq {

bool WaitForSocket(NativeSocket socket, SocketWaitFor what, std::chrono::milliseconds timeout) {
    WSAPOLLFD entry{};
    entry.fd = static_cast<SOCKET>(socket);
    entry.events = what == SocketWaitFor::Reading ? POLLRDNORM : POLLWRNORM;
    const auto wait = timeout.count() > 0x7FFFFFFF ? 0x7FFFFFFF : timeout.count();
    return WSAPoll(&entry, 1, static_cast<INT>(wait > 0 ? wait : 0)) != 0;
}

}  // namespace vq
