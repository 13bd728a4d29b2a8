#pragma once
// The worker's sense of time: its pauses and their random jitter. The program sleeps for real;
// tests run the worker's loop in virtual time.

#include <chrono>
#include <cstdint>
#include <random>

namespace vq {

class WorkerTime {
public:
    virtual ~WorkerTime() = default;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    // A pseudo-random integer from 0 to range - 1.
    virtual std::uint32_t Random(std::uint32_t range) = 0;
};

// Real sleeps; the generator is seeded once, from the high-resolution counter, so the jitter
// differs from run to run.
class SystemWorkerTime final : public WorkerTime {
public:
    SystemWorkerTime();
    void Sleep(std::chrono::milliseconds duration) override;
    std::uint32_t Random(std::uint32_t range) override;

private:
    std::mt19937 generator_;
};

}  // namespace vq
