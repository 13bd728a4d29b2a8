#pragma once
// The millisecond tick count since the system started, wrapping at 2^32, as the configuration's
// five-minute re-read measures it. Tests give a counter of their own.

#include <cstdint>

namespace vq {

class TickSource {
public:
    virtual ~TickSource() = default;
    virtual std::uint32_t TickCount() const = 0;
};

// GetTickCount on Windows; a monotonic clock's milliseconds elsewhere.
const TickSource& SystemTickSource();

}  // namespace vq
