// vq_quick_passes: vq.exe built again with one difference, the worker's pauses a thousand times
// shorter (30 s become 30 ms), so that scripts/bench can have a thousand status reports reach the
// window in a minute and read what they leave in memory. Everything else, the exchange, the
// window's handling of each report, the tray icon, is the tray program's own code.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "app/entry/tray_program_win32.h"
#include "auth/worker_time.h"

namespace {

constexpr int kPauseDivisor = 1000;

// Real pauses, each a thousandth as long; wake-ups and the jitter's generator as the program's.
class QuickWorkerTime final : public vq::WorkerTime {
public:
    bool Sleep(std::chrono::milliseconds duration, WakeUps wake_ups) override {
        return system_.Sleep(duration / kPauseDivisor, wake_ups);
    }
    void WakeUp() override { system_.WakeUp(); }
    std::uint32_t Random(std::uint32_t range) override { return system_.Random(range); }

private:
    vq::SystemWorkerTime system_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const int code =
        vq::RunTrayProgram(instance, [] { return std::make_shared<QuickWorkerTime>(); });
    ExitProcess(static_cast<UINT>(code));
}
