#include "tools/vq-probe/loop_mode.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "auth/auth_thread.h"
#include "formats/line_list.h"
#include "auth/server_exchange.h"
#include "formats/utf8.h"
#include "formats/value_list.h"
#include "identity/user_identity.h"
#include "tools/vq-probe/real_identity.h"

namespace vq::probe {

namespace {

std::atomic<bool> interrupted = false;

extern "C" void OnInterrupt(int) { interrupted = true; }

// One line per message: line breaks inside a payload are shown as \r and \n.
std::string OneLine(std::u16string_view text) {
    std::string line;
    for (const char c : Utf16ToUtf8(text)) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line;
}

std::string Pairs(const TValueList& values) {
    std::string text;
    for (int i = 0; i < values.GetCount(); ++i) {
        if (i > 0) text += "; ";
        text += OneLine(values.GetName(i)) + "=" + OneLine(values.GetValue(i));
    }
    return text;
}

// The monitor window's part, played on the console: it answers the address and credentials
// requests and prints every message as it handles it. Sends arrive on the worker's thread and
// are handled there before the send returns, as the window's synchronous handling would.
class ConsoleOwner final : public AuthOwner {
public:
    ConsoleOwner(const Options& options, std::ostream& out)
        : options_(options), out_(out), start_(std::chrono::steady_clock::now()) {}

    void Send(unsigned message, std::uintptr_t wparam, void* lparam) override {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        std::string line;
        switch (message) {
        case WM_AUTH_GET_SERVER:
            static_cast<LineList*>(lparam)->SetText(options_.base_url);
            line = "WM_AUTH_GET_SERVER " + OneLine(options_.base_url);
            break;
        case WM_AUTH_NEED_DATA: {
            auto& values = *static_cast<TValueList*>(lparam);
            FillIdentity(values);
            line = "WM_AUTH_NEED_DATA " + Pairs(values);
            break;
        }
        case WM_AUTH_STATUS:
            line = "WM_AUTH_STATUS " + Pairs(*static_cast<TValueList*>(lparam));
            break;
        case WM_AUTH_ERROR:
            line = "WM_AUTH_ERROR " + std::to_string(wparam) + " " +
                   OneLine(static_cast<const char16_t*>(lparam));
            break;
        case WM_AUTH_FAILED: line = "WM_AUTH_FAILED"; break;
        default: return;
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start_);
        out_ << elapsed.count() << ' ' << line << std::endl;
    }

    // From now on sends do nothing, as to a window that no longer exists.
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }

private:
    void FillIdentity(TValueList& values) {
        if (!options_.HasIdentity() && FillRealIdentity(values)) return;
        std::u16string groups;
        for (const auto& group : options_.groups) groups += group + u"\r\n";
        values.SetItem(kUserNameEntry, options_.user.value_or(u""));
        values.SetItem(kGroupsEntry, groups);
        values.SetItem(kDisplayNameEntry, options_.display.value_or(u""));
    }

    const Options& options_;
    std::ostream& out_;
    const std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    bool closed_ = false;
};

// The worker's connection log goes to standard error when tracing, nowhere otherwise.
class TraceLog final : public ConnectionLog {
public:
    explicit TraceLog(bool enabled) : enabled_(enabled) {}
    void Write(std::u16string_view message) override {
        if (enabled_) std::cerr << "log: " << OneLine(message) << std::endl;
    }

private:
    bool enabled_;
};

}  // namespace

int RunLoop(const Options& options, const HttpClientSettings& settings, std::ostream& out) {
    auto owner = std::make_shared<ConsoleOwner>(options, out);
    AuthWorkerServices services;
    services.owner = owner;
    services.time = std::make_shared<SystemWorkerTime>();
    services.log = std::make_shared<TraceLog>(options.trace);
    services.open_channel = [settings] { return std::make_unique<ServerExchange>(settings); };

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    TAuthThread worker(std::move(services), options.passes);
    while (!interrupted && !worker.Finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (worker.Finished()) {
        worker.WaitFor();
        return 0;
    }
    // Interrupted: the worker may be in a pause of half a minute, which a request to end does
    // not shorten; like the tray program, the process ends and takes the worker along.
    owner->Close();
    out.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace vq::probe
