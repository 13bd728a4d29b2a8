#include "auth/auth_worker.h"

#include <string>

#include "auth/exchange_error.h"
#include "auth/exchange_steps.h"
#include "auth/wire_strings.h"
#include "formats/utf8.h"
#include "formats/value_list.h"

namespace vq {

namespace {

// Leading and trailing characters up to U+0020 (blanks and control characters) removed.
std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
    while (!text.empty() && text.back() <= u' ') text.remove_suffix(1);
    return text;
}

// A failure of the pass with a text of the worker's own.
[[noreturn]] void Fail(std::u16string_view text) { throw ExchangeError(Utf16ToUtf8(text)); }

}  // namespace

// Everything the worker creates when it starts and frees when it ends, in that order.
struct AuthWorker::Resources {
    CredentialsArchive archive;
    TValueList values;
    LineList lines;
    std::string answer;
    std::unique_ptr<ServerChannel> channel;
    std::uint8_t failure_counter = 0;  // local socket failures not reported yet
    bool early_pass_allowed = true;    // false after a pause that a wake-up cut short
};

AuthWorker::AuthWorker(AuthWorkerServices services) : services_(std::move(services)) {}

void AuthWorker::Execute(const std::function<bool()>& terminated) {
    Log(kLogWorkerStarted);
    try {
        auto r = std::make_unique<Resources>();
        r->channel = services_.open_channel();
        while (!terminated()) {
            try {
                RunPass(*r);
            } catch (const ExchangeError& failure) {
                Guard(*r, failure, failure.IsLocalSocketFailure());
            } catch (const std::exception& failure) {
                Guard(*r, failure, false);
            }
        }
    } catch (...) {
        // The last resort: an error outside the failure guard (setting up the resources or the
        // channel, memory, an error inside the guard itself) ends the worker without a report,
        // and the window keeps its last status. What the worker held is freed on the way out;
        // let out of the thread, the error would end the whole tray program.
    }
    Log(kLogWorkerFinished);
}

void AuthWorker::RunPass(Resources& r) {
    AuthOwner& owner = *services_.owner;
    const auto module = services_.module_handle;

    // 1-3: the server address, as the window gives it.
    r.lines.Clear();
    owner.Send(WM_AUTH_GET_SERVER, module, &r.lines);
    if (r.lines.Empty()) {
        Pause(r, kPauseNoServer);
        return;
    }
    const std::u16string base_url(Trim(r.lines[0]));

    // 4: a GET while there is nothing to send, a POST of the credentials otherwise.
    const bool posted =
        ExchangeWithServer(*r.channel, base_url, r.values, r.archive, r.answer, r.lines);
    if (posted && !r.lines.Empty() && Trim(r.lines[0]) == wire::kServerNeedAuthData)
        Pause(r, kPauseNeedDataAfterPost);

    // 5: the exchange is complete; what was sent is not kept.
    r.archive.Forget();
    r.values.Clear();

    if (AnswerKeywordIs(r.lines, wire::kServerAuthFailed)) {  // 6
        owner.Send(WM_AUTH_FAILED, module, nullptr);
        Pause(r, kPauseAuthFailed);
        return;
    }
    if (AnswerKeywordIs(r.lines, wire::kServerNeedAuthData)) {  // 7: the next pass is a POST
        owner.Send(WM_AUTH_NEED_DATA, module, &r.values);
        return;
    }
    RequireAnswerLines(r.lines);                           // 8
    if (!AnswerKeywordIs(r.lines, wire::kServerStatusOk))  // 9
        Fail(ErrorText(r.lines, r.channel->CodePage()));

    // 10: the account fields go to the window.
    ReadAccountFields(r.lines, r.values);
    owner.Send(WM_AUTH_STATUS, module, &r.values);
    r.values.Clear();
    r.failure_counter = 0;
    Pause(r, kPauseStatusOk);
}

// The one place where a pass's failure is handled: logged, reported (local socket failures only
// from the fourth on), paused on, and the connection closed.
void AuthWorker::Guard(Resources& r, const std::exception& failure, bool local_socket_failure) {
    const std::u16string text = Utf8ToUtf16(failure.what());
    Log(text);
    if (local_socket_failure) {
        if (r.failure_counter >= 3)
            services_.owner->Send(WM_AUTH_ERROR, 1, const_cast<char16_t*>(text.c_str()));
        else
            ++r.failure_counter;
    } else {
        services_.owner->Send(WM_AUTH_ERROR, 0, const_cast<char16_t*>(text.c_str()));
    }
    if (!Pause(r, kPauseFailure)) r.channel->CloseConnection();  // one cut short has closed it
}

void AuthWorker::WakeUp() { services_.time->WakeUp(); }

// A pause that a wake-up ends early closes the connection: it was kept across a sleep or a change
// of network and may be dead without either end having said so.
bool AuthWorker::Pause(Resources& r, WorkerPause pause) {
    const auto jitter = services_.time->Random(static_cast<std::uint32_t>(pause.spread_ms));
    const auto wake_ups =
        r.early_pass_allowed ? WorkerTime::WakeUps::EndThePause : WorkerTime::WakeUps::WaitThemOut;
    const bool woken = services_.time->Sleep(
        std::chrono::milliseconds(pause.base_ms + static_cast<int>(jitter)), wake_ups);
    r.early_pass_allowed = !woken;
    if (woken) {
        Log(kLogPauseEndedEarly);
        r.channel->CloseConnection();
    }
    return woken;
}

// A log that cannot be written (a full disk, a locked file) must never stop the user's
// authorization: its failure is dropped here.
void AuthWorker::Log(std::u16string_view message) noexcept {
    try {
        services_.log->Write(message);
    } catch (...) {
    }
}

}  // namespace vq
