#pragma once
// The requests to end that Linux sends a process (SIGTERM from a newer instance or the session's
// end, SIGINT from a terminal, SIGHUP when the terminal goes), turned into bytes on a pipe so
// that the window system's event loop can watch a descriptor (QSocketNotifier) and quit in
// order, taking its tray icon away, instead of dying inside a signal handler.

#include <signal.h>

#include <array>
#include <vector>

namespace vq {

class TerminationSignals {
public:
    // Catches SIGTERM, SIGINT and SIGHUP from now on. Only one object may exist at a time (the
    // handler reaches the pipe through one process-wide slot): a second raises std::logic_error.
    // Raises std::system_error when the pipe or a handler cannot be set up.
    TerminationSignals();
    // Puts back the handlers that were there before and closes the pipe.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Readable once a signal has arrived; non-blocking, closed on exec.
    int ReadFd() const { return readFd_; }
    // The signals that arrived since the last call, in order of arrival; empty when none did.
    std::vector<int> TakeSignals();

private:
    void RestoreHandlers(std::size_t count);

    int readFd_ = -1;
    int writeFd_ = -1;
    // What SIGTERM, SIGINT and SIGHUP did before, in that order.
    std::array<struct sigaction, 3> previousActions_{};
};

}  // namespace vq
