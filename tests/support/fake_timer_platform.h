#pragma once
// A timer platform in virtual time: Advance(ms) delivers every tick that falls due, in order, to
// the shared timer handler, and counts the ticks per timer.

#include <cstdint>
#include <map>

#include "widgets/simple_timer.h"

namespace vq::test {

class FakeTimerPlatform : public TimerPlatform {
public:
    void Attach(TSimpleTimerHandler& handler) { handler_ = &handler; }

    bool SetTimer(std::uintptr_t id, std::uint32_t interval) override {
        ++setCalls;
        if (refuse) return false;
        const std::uint32_t period = interval ? interval : 1;
        running_[id] = Entry{period, now_ + period};
        return true;
    }
    bool KillTimer(std::uintptr_t id) override { return running_.erase(id) > 0; }

    bool Running(std::uintptr_t id) const { return running_.count(id) > 0; }
    std::uint32_t PeriodOf(std::uintptr_t id) const {
        auto found = running_.find(id);
        return found == running_.end() ? 0 : found->second.interval;
    }
    int TicksOf(std::uintptr_t id) const {
        auto found = ticks_.find(id);
        return found == ticks_.end() ? 0 : found->second;
    }
    std::uint64_t Now() const { return now_; }

    void Advance(std::uint64_t ms) {
        const std::uint64_t target = now_ + ms;
        for (;;) {
            auto next = running_.end();
            for (auto it = running_.begin(); it != running_.end(); ++it)
                if (it->second.due <= target &&
                    (next == running_.end() || it->second.due < next->second.due))
                    next = it;
            if (next == running_.end()) break;
            const std::uintptr_t id = next->first;
            now_ = next->second.due;
            next->second.due += next->second.interval;
            ++ticks_[id];
            if (handler_) handler_->HandleTimer(id);
        }
        now_ = target;
    }

    bool refuse = false;
    int setCalls = 0;

private:
    struct Entry {
        std::uint32_t interval;
        std::uint64_t due;
    };
    TSimpleTimerHandler* handler_ = nullptr;
    std::map<std::uintptr_t, Entry> running_;
    std::map<std::uintptr_t, int> ticks_;
    std::uint64_t now_ = 0;
};

}  // namespace vq::test
