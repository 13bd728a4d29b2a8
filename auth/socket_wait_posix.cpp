#include "auth/socket_wait.h"

#include <poll.h>

#include <cerrno>

namespace vq {

bool WaitForSocket(NativeSocket socket, SocketWaitFor what, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    pollfd entry{};
    entry.fd = socket;
    entry.events = what == SocketWaitFor::Reading ? POLLIN : POLLOUT;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int ready = ::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready > 0) return true;
        if (ready == 0) return false;
        // A signal's handler ran: wait for what is left of the time.
        if (errno == EINTR) continue;
        return true;
    }
}

}  // namespace vq
