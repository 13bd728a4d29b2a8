#pragma once
// Waiting for a connected socket with a time-out: the one wait of each read and of each write
// that the socket cannot take at once. The system's own wait (poll, WSAPoll) is given the
// time-out, so nothing is armed or disarmed around it.

#include <chrono>

namespace vq {

enum class SocketWaitFor { Reading, Writing };

// The socket as the system knows it (a file descriptor, a SOCKET).
#ifdef _WIN32
using NativeSocket = unsigned long long;
#else
using NativeSocket = int;
#endif

// Waits until the socket can be read (bytes, the end of the stream or an error have arrived) or
// written, for at most `timeout`. Returns false when the time ran out. A failure of the wait
// itself counts as ready, so that the read or write that follows reports the socket's own state.
bool WaitForSocket(NativeSocket socket, SocketWaitFor what, std::chrono::milliseconds timeout);

}  // namespace vq
