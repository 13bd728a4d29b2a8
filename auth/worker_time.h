#pragma once
// The worker's sense of time: its pauses, their random jitter, and the wake-ups that may end a
// pause early (the session resumed from sleep, an address of the machine changed). The program
// sleeps for real; tests run the worker's loop in virtual time.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>

namespace vq {

class WorkerTime {
public:
    // What a pause does with wake-ups.
    enum class WakeUps {
        // A pending wake-up (one that came before the pause began, too) ends the pause at once.
        EndThePause,
        // The pause runs its whole length; wake-ups that came meanwhile are dropped at its end,
        // since the pass after it serves them anyway.
        WaitThemOut,
    };

    virtual ~WorkerTime() = default;
    // Returns true when a wake-up ended the pause early; the wake-up is then taken.
    virtual bool Sleep(std::chrono::milliseconds duration, WakeUps wake_ups) = 0;
    // Called from any thread.
    virtual void WakeUp() = 0;
    // A pseudo-random integer from 0 to range - 1.
    virtual std::uint32_t Random(std::uint32_t range) = 0;
};

// Real sleeps; the generator is seeded once, from the high-resolution counter, so the jitter
// differs from run to run.
class SystemWorkerTime final : public WorkerTime {
public:
    SystemWorkerTime();
    bool Sleep(std::chrono::milliseconds duration, WakeUps wake_ups) override;
    void WakeUp() override;
    std::uint32_t Random(std::uint32_t range) override;

private:
    std::mt19937 generator_;  // used by the worker's thread only
    std::mutex mutex_;
    std::condition_variable wake_up_arrived_;
    bool wake_up_pending_ = false;
};

}  // namespace vq
