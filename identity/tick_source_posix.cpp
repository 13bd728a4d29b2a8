#include "identity/tick_source.h"

#include <chrono>

namespace vq {

namespace {

class SteadyTickSource final : public TickSource {
public:
    std::uint32_t TickCount() const override {
        const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
    }
};

}  // namespace

const TickSource& SystemTickSource() {
    static const SteadyTickSource source;
    return source;
}

}  // namespace vq
