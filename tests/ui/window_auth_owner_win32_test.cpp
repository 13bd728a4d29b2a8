// The worker's reports reach the monitor window by SendMessageW; when the window is destroyed
// during a pass (the program ends, or a newer instance takes over), the window asks the worker to
// end and detaches it. A report the worker makes afterwards reaches no window, not even a new one
// that may have been given the old window's handle, and the worker ends at the top of its next
// pass.

#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "auth/auth_thread.h"
#include "formats/ansi_code_page.h"
#include "ui/window_auth_owner_win32.h"
#include "widgets/window_procedure_win32.h"

namespace vq {
namespace {

// A top-level window on the test's thread that records the worker's messages it receives; it
// answers WM_AUTH_GET_SERVER with a server address.
class RecordingWindow {
public:
    RecordingWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &WindowProcedure<RecordingWindow, &RecordingWindow::Receive>;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VqRecordingWindow";
        RegisterClassW(&wc);  // fails harmlessly when the class is there already
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, this);
    }
    ~RecordingWindow() { Destroy(); }
    void Destroy() {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }
    HWND Handle() const { return window_; }
    const std::vector<UINT>& Received() const { return received_; }

private:
    LRESULT Receive(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg >= WM_AUTH_ERROR && msg <= WM_AUTH_FAILED) {
            received_.push_back(msg);
            if (msg == WM_AUTH_GET_SERVER)
                reinterpret_cast<LineList*>(lParam)->SetText(u"http://gate/");
            return 0;
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::vector<UINT> received_;
};

// A server exchange that holds each GET until the test lets it go, then answers
// "server_need_auth_data": a pass after which the next one follows without a pause.
class HeldChannel final : public ServerChannel {
public:
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        int gets = 0;
        bool released = false;
    };
    explicit HeldChannel(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}

    void Get(std::u16string_view, std::string& answer, LineList& lines) override {
        std::unique_lock lock(gate_->mutex);
        ++gate_->gets;
        gate_->changed.notify_all();
        gate_->changed.wait(lock, [&] { return gate_->released; });
        answer = "server_need_auth_data\r\n";
        lines.LoadFromBytes(answer, Latin1CodePage());
    }
    void Post(std::u16string_view, std::string_view, std::string&, LineList&) override {
        ADD_FAILURE() << "no POST expected";
    }
    void CloseConnection() noexcept override {}
    const AnsiCodePage& CodePage() const override { return Latin1CodePage(); }

private:
    std::shared_ptr<Gate> gate_;
};

class NoPause final : public WorkerTime {
public:
    bool Sleep(std::chrono::milliseconds, WakeUps) override { return false; }
    void WakeUp() override {}
    std::uint32_t Random(std::uint32_t) override { return 0; }
};

// Handles the messages sent to this thread's windows until the condition holds (at most 10 s).
template <typename Condition>
bool PumpUntil(Condition condition) {
    const DWORD end = GetTickCount() + 10000;
    while (!condition()) {
        if (GetTickCount() > end) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

TEST(WindowAuthOwner, AWindowDestroyedDuringAPassGetsNoReportAndTheWorkerEndsAtItsNextPass) {
    auto window = std::make_unique<RecordingWindow>();
    auto owner = std::make_shared<WindowAuthOwner>(window->Handle());
    auto gate = std::make_shared<HeldChannel::Gate>();
    AuthWorkerServices services;
    services.owner = owner;
    services.time = std::make_shared<NoPause>();
    services.log = std::make_shared<NullConnectionLog>();
    services.open_channel = [gate] { return std::make_unique<HeldChannel>(gate); };
    TAuthThread worker(std::move(services));

    // The worker has asked for the address and is inside its exchange.
    ASSERT_TRUE(PumpUntil([&] {
        std::lock_guard lock(gate->mutex);
        return gate->gets == 1;
    }));
    EXPECT_EQ(window->Received(), std::vector<UINT>{WM_AUTH_GET_SERVER});

    // What the monitor window does when it is destroyed, then a new window on the same thread.
    worker.Terminate();
    owner->Detach();
    window->Destroy();
    RecordingWindow successor;

    {
        std::lock_guard lock(gate->mutex);
        gate->released = true;
    }
    gate->changed.notify_all();
    // The worker reports the answer (to no window) and ends at the top of the next pass.
    ASSERT_TRUE(PumpUntil([&] { return worker.Finished(); }));
    worker.WaitFor();
    EXPECT_TRUE(successor.Received().empty()) << "a report reached a window after the owner went";
    std::lock_guard lock(gate->mutex);
    EXPECT_EQ(gate->gets, 1) << "the worker began another pass after it was asked to end";
}

}  // namespace
}  // namespace vq
