#pragma once
// The worker's time for tests that run real passes: pauses are recorded, not slept, and never
// woken early; an optional hook runs at each pause, numbered from 0. The jitter is chosen so a
// test can tell each pause's range from its length.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "auth/worker_time.h"

namespace vq::test {

class RecordedPauses final : public WorkerTime {
public:
    enum class Jitter { Largest, Middle };
    explicit RecordedPauses(Jitter jitter = Jitter::Largest) : jitter_(jitter) {}

    std::vector<long> pauses;
    std::function<void(std::size_t)> at_pause;

    bool Sleep(std::chrono::milliseconds duration, WakeUps) override {
        pauses.push_back(static_cast<long>(duration.count()));
        if (at_pause) at_pause(pauses.size() - 1);
        return false;
    }
    void WakeUp() override {}
    std::uint32_t Random(std::uint32_t range) override {
        return jitter_ == Jitter::Largest ? range - 1 : range / 2;
    }

private:
    Jitter jitter_;
};

}  // namespace vq::test
