#pragma once
// The authorization worker's loop: ask the window for the server address, exchange with the
// server (a GET, or a POST when credentials are waiting), act on the answer's keyword, report
// through the five window messages and pause. Everything of the exchange lives for one run of
// Execute on the worker's thread.

#include <cstdint>
#include <functional>
#include <memory>

#include "auth/auth_messages.h"
#include "auth/connection_log.h"
#include "auth/exchange_steps.h"
#include "auth/server_channel.h"
#include "auth/worker_time.h"

namespace vq {

struct AuthWorkerServices {
    std::shared_ptr<AuthOwner> owner;
    std::shared_ptr<WorkerTime> time;
    std::shared_ptr<ConnectionLog> log;
    // Opens the HTTP side (client, cookie store) when the worker starts.
    std::function<std::unique_ptr<ServerChannel>()> open_channel;
    // The program's module handle, carried in wParam of every message but WM_AUTH_ERROR.
    std::uintptr_t module_handle = 0;
};

// The pauses: base + a random 0..spread-1 milliseconds.
struct WorkerPause {
    int base_ms;
    int spread_ms;
};
inline constexpr WorkerPause kPauseNoServer{1000, 1000};
inline constexpr WorkerPause kPauseStatusOk{30000, 2000};
inline constexpr WorkerPause kPauseNeedDataAfterPost{30000, 2000};
inline constexpr WorkerPause kPauseAuthFailed{60000, 2000};
inline constexpr WorkerPause kPauseFailure{5000, 2000};

class AuthWorker {
public:
    explicit AuthWorker(AuthWorkerServices services);

    // Runs passes while terminated() is false; terminated() is asked at the top of each pass.
    void Execute(const std::function<bool()>& terminated);
    // The session resumed from sleep or the machine's addresses changed: the current pause ends
    // and the next pass begins, on a new connection. A pause cut short is followed by one that
    // runs its whole length, so a burst or a stream of events gives one early pass per pause.
    // Called from any thread.
    void WakeUp();

private:
    struct Resources;
    void RunPass(Resources& r);
    void Guard(Resources& r, const std::exception& failure, bool local_socket_failure);
    // Returns true when a wake-up ended the pause early.
    bool Pause(Resources& r, WorkerPause pause);
    void Log(std::u16string_view message) noexcept;

    AuthWorkerServices services_;
};

}  // namespace vq
