#include "app/termination_signals_posix.h"

#include <poll.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace vq {
namespace {

bool Readable(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return poll(&watch, 1, 0) == 1 && (watch.revents & POLLIN) != 0;
}

void (*Disposition(int number))(int) {
    struct sigaction current {};
    sigaction(number, nullptr, &current);
    return current.sa_handler;
}

TEST(TerminationSignals, TurnsEachRequestToEndIntoAReadableDescriptor) {
    TerminationSignals signals;
    EXPECT_FALSE(Readable(signals.ReadFd()));
    EXPECT_TRUE(signals.TakeSignals().empty());

    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        ASSERT_EQ(raise(number), 0);  // the test program is still here: the signal was caught
        EXPECT_TRUE(Readable(signals.ReadFd()));
        EXPECT_EQ(signals.TakeSignals(), std::vector<int>{number});
        EXPECT_FALSE(Readable(signals.ReadFd()));
    }
    raise(SIGHUP);
    raise(SIGTERM);
    EXPECT_EQ(signals.TakeSignals(), (std::vector<int>{SIGHUP, SIGTERM}));
}

TEST(TerminationSignals, OneAtATimeAndThePreviousHandlersComeBack) {
    const auto before = Disposition(SIGTERM);
    {
        TerminationSignals signals;
        EXPECT_NE(Disposition(SIGTERM), before);
        EXPECT_THROW(TerminationSignals(), std::logic_error);
    }
    EXPECT_EQ(Disposition(SIGTERM), before);
    EXPECT_NO_THROW(TerminationSignals());
}

}  // namespace
}  // namespace vq
