#include "auth/auth_thread.h"

namespace vq {

struct TAuthThread::State {
    explicit State(AuthWorkerServices services) : worker(std::move(services)) {}
    AuthWorker worker;
    std::atomic<bool> terminated = false;
    std::atomic<bool> finished = false;
};

TAuthThread::TAuthThread(AuthWorkerServices services, long passes)
    : state_(std::make_shared<State>(std::move(services))) {
    thread_ = std::thread([state = state_, passes] {
        long pass = 0;
        state->worker.Execute(
            [&] { return state->terminated.load() || (passes > 0 && pass++ >= passes); });
        state->finished = true;
    });
}

TAuthThread::~TAuthThread() {
    Terminate();
    if (thread_.joinable()) thread_.detach();
}

void TAuthThread::Terminate() { state_->terminated = true; }

void TAuthThread::WakeUp() { state_->worker.WakeUp(); }

bool TAuthThread::Terminated() const { return state_->terminated; }

void TAuthThread::WaitFor() {
    if (thread_.joinable()) thread_.join();
}

bool TAuthThread::Finished() const { return state_->finished; }

}  // namespace vq
