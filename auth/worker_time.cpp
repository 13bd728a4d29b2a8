#include "auth/worker_time.h"

#include <thread>

namespace vq {

SystemWorkerTime::SystemWorkerTime()
    : generator_(static_cast<std::mt19937::result_type>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count())) {}

void SystemWorkerTime::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

std::uint32_t SystemWorkerTime::Random(std::uint32_t range) {
    if (range == 0) return 0;
    return std::uniform_int_distribution<std::uint32_t>(0, range - 1)(generator_);
}

}  // namespace vq
