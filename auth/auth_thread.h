#pragma once
// TAuthThread: the authorization worker on a thread of its own, started when it is created.
// The window asks it to terminate and never waits for it: a request to terminate is seen at the
// top of the next pass, after any pause or exchange in progress.

#include <atomic>
#include <memory>
#include <thread>

#include "auth/auth_worker.h"

namespace vq {

class TAuthThread {
public:
    // Starts the worker at once. passes > 0 ends it by itself after that many passes.
    explicit TAuthThread(AuthWorkerServices services, long passes = 0);
    // Asks the worker to end and lets it finish on its own: everything it uses is kept alive by
    // the thread itself, so the object may go before the thread does.
    ~TAuthThread();
    TAuthThread(const TAuthThread&) = delete;
    TAuthThread& operator=(const TAuthThread&) = delete;

    void Terminate();
    // Ends the worker's current pause early (the session resumed, the network changed); see
    // AuthWorker::WakeUp.
    void WakeUp();
    bool Terminated() const;
    // Waits until the worker has ended (tests and the command-line probe).
    void WaitFor();
    bool Finished() const;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace vq
