#include "app/termination_signals_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace vq {

namespace {

constexpr std::array<int, 3> kTerminationSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end for the handler. A signal handler is given nothing but the signal's
// number, so this one process-wide slot is unavoidable; -1 while no TerminationSignals exists.
std::atomic<int> handlerWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only use lock-free atomics");

extern "C" void OnTerminationSignal(int number) {
    const int saved_errno = errno;
    const int fd = handlerWriteFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(number);
        // A full pipe already holds enough requests to end; the byte may be dropped.
        (void)!::write(fd, &byte, 1);
    }
    errno = saved_errno;
}

}  // namespace

void TerminationSignals::RestoreHandlers(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        ::sigaction(kTerminationSignals[i], &previousActions_[i], nullptr);
}

TerminationSignals::TerminationSignals() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "Cannot create the signal pipe");
    int expected = -1;
    if (!handlerWriteFd.compare_exchange_strong(expected, fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw std::logic_error("Termination signals are already being caught");
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: the other threads' system calls go on as if nothing happened.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
        if (::sigaction(kTerminationSignals[i], &action, &previousActions_[i]) != 0) {
            const int code = errno;
            RestoreHandlers(i);
            handlerWriteFd.store(-1);
            ::close(readFd_);
            ::close(writeFd_);
            throw std::system_error(code, std::generic_category(), "Cannot catch a signal");
        }
    }
}

TerminationSignals::~TerminationSignals() {
    RestoreHandlers(kTerminationSignals.size());
    handlerWriteFd.store(-1);
    ::close(readFd_);
    ::close(writeFd_);
}

std::vector<int> TerminationSignals::TakeSignals() {
    std::vector<int> signals;
    unsigned char bytes[64];
    for (;;) {
        const ssize_t got = ::read(readFd_, bytes, sizeof bytes);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // EAGAIN: nothing more
        signals.insert(signals.end(), bytes, bytes + got);
    }
    return signals;
}

}  // namespace vq
