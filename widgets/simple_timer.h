#pragma once
// TSimpleTimer: a small timer object. Any number of them share one handler, which on Windows owns
// one hidden window that receives every timer's WM_TIMER. The platform timer sits behind
// TimerPlatform so the timers run in virtual time in tests.

#include <cstdint>
#include <functional>
#include <map>

namespace vq {

// What the timers need of the platform: SetTimer/KillTimer on the shared window.
class TimerPlatform {
public:
    virtual ~TimerPlatform() = default;
    // Starts (or restarts) the platform timer `id` with the period in milliseconds.
    virtual bool SetTimer(std::uintptr_t id, std::uint32_t interval) = 0;
    // Stops the platform timer `id`; false when it was not running.
    virtual bool KillTimer(std::uintptr_t id) = 0;
};

class TSimpleTimer;

// The handler shared by all timers of the user-interface thread. It routes a platform tick to the
// timer it names and keeps the counts of live timers and running platform timers.
class TSimpleTimerHandler {
public:
    explicit TSimpleTimerHandler(TimerPlatform& platform) : platform_(platform) {}
    TSimpleTimerHandler(const TSimpleTimerHandler&) = delete;
    TSimpleTimerHandler& operator=(const TSimpleTimerHandler&) = delete;

    // WM_TIMER with wParam = id. Unknown ids are ignored (a tick already queued for a timer that
    // has since been destroyed).
    void HandleTimer(std::uintptr_t id);

    int RefCount() const { return static_cast<int>(timers_.size()); }
    int ActiveCount() const { return activeCount_; }
    TimerPlatform& Platform() { return platform_; }

private:
    friend class TSimpleTimer;
    void Add(TSimpleTimer& timer);
    void Remove(TSimpleTimer& timer);
    void Started() { ++activeCount_; }
    void Stopped() {
        if (activeCount_ > 0) --activeCount_;
    }

    TimerPlatform& platform_;
    std::map<std::uintptr_t, TSimpleTimer*> timers_;
    int activeCount_ = 0;
};

class TSimpleTimer {
public:
    using TNotifyEvent = std::function<void(TSimpleTimer& sender)>;

    // Create: interval 1000, no handler, off.
    explicit TSimpleTimer(TSimpleTimerHandler& handler);
    // CreateEx.
    TSimpleTimer(TSimpleTimerHandler& handler, std::uint32_t interval, TNotifyEvent onTimer);
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // The platform timer's identifier: the object's address, unique among live timers.
    std::uintptr_t Id() const { return FId; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return FInterval; }
    void SetInterval(std::uint32_t value);
    bool AutoDisable() const { return FAutoDisable; }
    void SetAutoDisable(bool value) { FAutoDisable = value; }
    std::int32_t Tag() const { return FTag; }
    void SetTag(std::int32_t value) { FTag = value; }
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

private:
    friend class TSimpleTimerHandler;
    bool Start();
    void Stop(bool switchOff);
    void Tick();

    TSimpleTimerHandler& handler_;
    std::uintptr_t FId;  // the platform timer's identifier while it runs
    bool FEnabled = false;
    std::uint32_t FInterval = 1000;
    bool FAutoDisable = false;
    std::int32_t FTag = 0;
    TNotifyEvent FOnTimer;
};

}  // namespace vq
