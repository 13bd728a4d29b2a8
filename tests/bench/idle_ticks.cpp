// How often the tray program's timers wake it up, per minute, in each state of its tray icon: the
// icon set up as the monitor window sets it up (twelve-frame spinner at 120 ms, enter and exit
// events wanted), driven by the real TCoolTrayIcon state machine in virtual time. The pointer-exit
// poll runs only while the pointer counts as inside the icon; "poll always on" is the same minute
// with a 20 ms timer that runs whatever the pointer does, as the poll did before.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "tests/support/fake_timer_platform.h"
#include "widgets/cool_tray_icon.h"

namespace {

using namespace vq;

class StillShell final : public TrayShell {
public:
    bool NotifyIcon(std::uint32_t, const TNotifyIconDataEx&) override { return true; }
    std::optional<TrayPoint> CursorPos() override { return cursor; }
    TShiftState KeyShiftState() override { return 0; }
    std::uint32_t DoubleClickTime() override { return 500; }
    void SetForegroundWindow(std::uintptr_t) override {}
    void ProcessMessages() override {}
    void PostNullMessage(std::uintptr_t) override {}
    TrayPoint cursor{500, 300};
};

class Picture final : public TrayIconImage {
public:
    std::uintptr_t Handle() const override { return 1; }
    std::unique_ptr<TrayIconImage> Clone() const override { return std::make_unique<Picture>(); }
};

class Strip final : public TrayImageList {
public:
    explicit Strip(int count) : count_(count) {}
    int Count() const override { return count_; }
    std::unique_ptr<TrayIconImage> GetIcon(int) const override {
        return std::make_unique<Picture>();
    }

private:
    int count_;
};

constexpr std::uint64_t kMinute = 60000;
constexpr std::uint32_t kPollInterval = 20;

struct Setup {
    test::FakeTimerPlatform platform;
    TSimpleTimerHandler timers{platform};
    StillShell shell;
    TTrayIconHandler handler{shell, 0x10};
    Strip loading{12}, normal{7};
    TCoolTrayIcon icon{handler, timers};

    Setup() {
        platform.Attach(timers);
        icon.SetIconList(&loading);
        icon.SetCycleIcons(true);
        icon.SetCycleInterval(120);
        icon.SetIconVisible(true);
        icon.SetWantEnterExitEvents(true);
        icon.Loaded();
    }
    void StatusOk() {  // what the window does for a good answer: a still check mark
        icon.SetCycleIcons(false);
        icon.SetIconList(&normal);
        icon.SetIconIndex(0);
    }
    void PointerOnIcon() {
        handler.HandleIconMessage(WM_TRAY_CALLBACK, icon.IconID(), tray_msg::kMouseMove);
    }
    int TicksPerMinute(const TSimpleTimer* alwaysOnPoll = nullptr) {
        auto total = [&] {
            int n = platform.TicksOf(icon.CycleTimerObject().Id()) +
                    platform.TicksOf(icon.ExitTimerObject().Id()) +
                    platform.TicksOf(icon.ClickTimerObject().Id());
            if (alwaysOnPoll) n += platform.TicksOf(alwaysOnPoll->Id());
            return n;
        };
        const int before = total();
        platform.Advance(kMinute);
        return total() - before;
    }
};

}  // namespace

int main() {
    std::printf("Timer ticks per minute of the tray icon (virtual time, the program's settings)\n");
    {
        Setup s;
        std::printf("  connecting, spinner turning, pointer elsewhere:   %6d\n",
                    s.TicksPerMinute());
    }
    {
        Setup s;
        s.StatusOk();
        std::printf("  status shown, icon still, pointer elsewhere:      %6d\n",
                    s.TicksPerMinute());
        TSimpleTimer alwaysOn(s.timers, kPollInterval, [&](TSimpleTimer&) {
            if (s.icon.DidExit()) return;  // what every tick of the old poll did while parked
        });
        alwaysOn.SetEnabled(true);
        std::printf("    the same with the exit poll always on (before): %6d\n",
                    s.TicksPerMinute(&alwaysOn));
    }
    {
        Setup s;
        s.StatusOk();
        s.PointerOnIcon();
        std::printf("  status shown, pointer resting on the icon:        %6d\n",
                    s.TicksPerMinute());
    }
    return 0;
}
