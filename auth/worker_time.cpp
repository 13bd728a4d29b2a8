#include "auth/worker_time.h"

#include <thread>

namespace vq {

SystemWorkerTime::SystemWorkerTime()
    : generator_(static_cast<std::mt19937::result_type>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count())) {}

bool SystemWorkerTime::Sleep(std::chrono::milliseconds duration, WakeUps wake_ups) {
    if (wake_ups == WakeUps::WaitThemOut) {
        std::this_thread::sleep_for(duration);
        const std::lock_guard lock(mutex_);
        wake_up_pending_ = false;
        return false;
    }
    std::unique_lock lock(mutex_);
    const bool woken =
        wake_up_arrived_.wait_for(lock, duration, [this] { return wake_up_pending_; });
    wake_up_pending_ = false;
    return woken;
}

void SystemWorkerTime::WakeUp() {
    {
        const std::lock_guard lock(mutex_);
        wake_up_pending_ = true;
    }
    wake_up_arrived_.notify_one();
}

std::uint32_t SystemWorkerTime::Random(std::uint32_t range) {
    if (range == 0) return 0;
    return std::uniform_int_distribution<std::uint32_t>(0, range - 1)(generator_);
}

}  // namespace vq
