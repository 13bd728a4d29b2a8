#include "widgets/simple_timer.h"

#include <utility>

namespace vq {

void TSimpleTimerHandler::HandleTimer(std::uintptr_t id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) found->second->Tick();
}

void TSimpleTimerHandler::Add(TSimpleTimer& timer) { timers_[timer.Id()] = &timer; }

void TSimpleTimerHandler::Remove(TSimpleTimer& timer) { timers_.erase(timer.Id()); }

TSimpleTimer::TSimpleTimer(TSimpleTimerHandler& handler)
    : handler_(handler), FId(reinterpret_cast<std::uintptr_t>(this)) {
    handler_.Add(*this);
}

TSimpleTimer::TSimpleTimer(TSimpleTimerHandler& handler, std::uint32_t interval,
                           TNotifyEvent onTimer)
    : TSimpleTimer(handler) {
    FInterval = interval;
    FOnTimer = std::move(onTimer);
}

TSimpleTimer::~TSimpleTimer() {
    if (FEnabled) Stop(true);
    handler_.Remove(*this);
}

bool TSimpleTimer::Start() {
    if (FInterval == 0) return false;
    // Switched off first, so a platform refusal leaves the timer off rather than half on.
    if (FEnabled) Stop(true);
    if (!handler_.Platform().SetTimer(FId, FInterval)) return false;
    FEnabled = true;
    handler_.Started();
    return true;
}

void TSimpleTimer::Stop(bool switchOff) {
    if (switchOff) FEnabled = false;
    if (handler_.Platform().KillTimer(FId)) handler_.Stopped();
}

void TSimpleTimer::SetEnabled(bool value) {
    if (value)
        Start();
    else
        Stop(true);
}

void TSimpleTimer::SetInterval(std::uint32_t value) {
    if (value == FInterval) return;
    FInterval = value;
    if (!FEnabled) return;
    // An interval of 0 keeps the timer on but without a platform timer; a later non-zero interval
    // starts it again.
    if (value != 0)
        Start();
    else
        Stop(false);
}

void TSimpleTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    if (!FOnTimer && FEnabled) Stop(false);
}

void TSimpleTimer::Tick() {
    if (FAutoDisable) SetEnabled(false);
    if (FOnTimer) FOnTimer(*this);
}

}  // namespace vq
