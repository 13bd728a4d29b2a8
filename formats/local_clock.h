#pragma once
// The local date and time: ZIP time stamps and the multipart boundary are taken from it. Tests
// give a fixed clock.

namespace vq {

struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual LocalDateTime Now() const = 0;
};

// The system's clock in the local time zone.
const LocalClock& SystemLocalClock();

// A clock that always reads the same moment.
class FixedLocalClock final : public LocalClock {
public:
    explicit FixedLocalClock(LocalDateTime moment) : moment_(moment) {}
    LocalDateTime Now() const override { return moment_; }

private:
    LocalDateTime moment_;
};

}  // namespace vq
