#include <windows.h>

#include "identity/tick_source.h"

namespace vq {

namespace {

// GetTickCount wraps after 49.7 days; callers subtract in unsigned 32-bit arithmetic.
class WindowsTickSource final : public TickSource {
public:
    std::uint32_t TickCount() const override { return GetTickCount(); }
};

}  // namespace

const TickSource& SystemTickSource() {
    static const WindowsTickSource source;
    return source;
}

}  // namespace vq
