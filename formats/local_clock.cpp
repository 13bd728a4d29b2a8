#include "formats/local_clock.h"

#include <chrono>
#include <ctime>

namespace vq {

namespace {

class SystemClock final : public LocalClock {
public:
    LocalDateTime Now() const override {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto since_epoch = now.time_since_epoch();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch) -
                        std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
        std::tm local{};
#ifdef _WIN32
        localtime_s(&local, &seconds);
#else
        localtime_r(&seconds, &local);
#endif
        return {local.tm_year + 1900,
                local.tm_mon + 1,
                local.tm_mday,
                local.tm_hour,
                local.tm_min,
                local.tm_sec,
                static_cast<int>(ms.count())};
    }
};

}  // namespace

const LocalClock& SystemLocalClock() {
    static const SystemClock clock;
    return clock;
}

}  // namespace vq
