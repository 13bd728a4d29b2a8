// The worker's loop in virtual time: every pause is recorded instead of slept, the window and the
// server are fakes, and all of them write to one timeline that the tests compare.

#include "auth/auth_worker.h"

#include <algorithm>
#include <deque>
#include <variant>

#include <gtest/gtest.h>

#include "auth/exchange_error.h"
#include "formats/byte_stream.h"
#include "formats/utf8.h"
#include "formats/value_list.h"
#include "formats/zip_file.h"

namespace vq {
namespace {

using Timeline = std::vector<std::string>;

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

std::string Fields(const TValueList& values) {
    std::string text;
    for (int i = 0; i < values.GetCount(); ++i)
        text += (i ? " " : "") + Utf8(values.GetName(i)) + "=" + Utf8(values.GetValue(i));
    return text;
}

class FakeOwner final : public AuthOwner {
public:
    explicit FakeOwner(Timeline& timeline) : timeline_(timeline) {}
    std::u16string server = u"  http://gate/\t";
    bool gone = false;

    void Send(unsigned message, std::uintptr_t wparam, void* lparam) override {
        if (gone) return;
        switch (message) {
        case WM_AUTH_GET_SERVER:
            static_cast<LineList*>(lparam)->SetText(server);
            timeline_.push_back("GET_SERVER");
            break;
        case WM_AUTH_NEED_DATA: {
            auto& values = *static_cast<TValueList*>(lparam);
            timeline_.push_back("NEED_DATA " + std::to_string(values.GetCount()));
            values.SetItem(u"username", u"TEST\\demo");
            values.SetItem(u"dname", u"Демо");
            break;
        }
        case WM_AUTH_STATUS:
            timeline_.push_back("STATUS " + Fields(*static_cast<TValueList*>(lparam)));
            break;
        case WM_AUTH_ERROR:
            timeline_.push_back("ERROR " + std::to_string(wparam) + " " +
                                Utf8(static_cast<const char16_t*>(lparam)));
            break;
        case WM_AUTH_FAILED: timeline_.push_back("FAILED"); break;
        }
        if (message != WM_AUTH_ERROR) {
            EXPECT_EQ(wparam, std::uintptr_t{0x400000});
        }
    }

private:
    Timeline& timeline_;
};

// Pauses are recorded and pass in virtual time; wake-ups arrive at the virtual times in
// wake_ups_at, ascending. The jitter is the largest the range allows, so each pause shows its range.
class VirtualTime final : public WorkerTime {
public:
    explicit VirtualTime(Timeline& timeline) : timeline_(timeline) {}
    bool smallest_jitter = false;
    std::deque<long> wake_ups_at;

    bool Sleep(std::chrono::milliseconds duration, WakeUps wake_ups) override {
        const long end = now_ + static_cast<long>(duration.count());
        std::string entry = "sleep " + std::to_string(duration.count());
        bool woken = false;
        if (wake_ups == WakeUps::EndThePause && !wake_ups_at.empty() &&
            wake_ups_at.front() <= end) {
            woken = true;
            entry += " woken after " + std::to_string(std::max(wake_ups_at.front(), now_) - now_);
            now_ = std::max(wake_ups_at.front(), now_);
        } else {
            now_ = end;
        }
        // Everything that has arrived by now is taken or dropped: wake-ups are one pending flag.
        while (!wake_ups_at.empty() && wake_ups_at.front() <= now_) wake_ups_at.pop_front();
        timeline_.push_back(entry);
        return woken;
    }
    void WakeUp() override { wake_ups_at.push_front(now_); }
    std::uint32_t Random(std::uint32_t range) override { return smallest_jitter ? 0 : range - 1; }

private:
    Timeline& timeline_;
    long now_ = 0;
};

class FakeLog final : public ConnectionLog {
public:
    std::vector<std::u16string> lines;
    bool broken = false;
    void Write(std::u16string_view message) override {
        if (broken) throw std::runtime_error("disk full");
        lines.emplace_back(message);
    }
};

// The server: each exchange takes the next scripted outcome, an answer body or a failure.
struct Failure {
    std::string text;
    ExchangeError::Kind kind = ExchangeError::Kind::Other;
};
using Outcome = std::variant<std::string, Failure>;

class FakeChannel final : public ServerChannel {
public:
    FakeChannel(Timeline& timeline, std::deque<Outcome>& outcomes)
        : timeline_(timeline), outcomes_(outcomes) {}

    void Get(std::u16string_view base_url, std::string& answer, LineList& lines) override {
        timeline_.push_back("GET " + Utf8(base_url));
        Answer(answer, lines);
    }
    void Post(std::u16string_view base_url, std::string_view archive, std::string& answer,
              LineList& lines) override {
        MemoryStream stream{std::string(archive)};
        TZipFile zip;
        zip.LoadFromStream(stream);
        timeline_.push_back("POST " + Utf8(base_url) + " " + zip.GetUncompressed(0));
        Answer(answer, lines);
    }
    void CloseConnection() noexcept override { timeline_.push_back("close"); }
    const AnsiCodePage& CodePage() const override { return Latin1CodePage(); }

private:
    void Answer(std::string& answer, LineList& lines) {
        answer.clear();
        lines.Clear();
        if (outcomes_.empty()) throw ExchangeError("no more scripted answers");
        const Outcome outcome = outcomes_.front();
        outcomes_.pop_front();
        if (const auto* failure = std::get_if<Failure>(&outcome))
            throw ExchangeError(failure->text, failure->kind);
        answer = std::get<std::string>(outcome);
        lines.LoadFromBytes(answer, Latin1CodePage());
    }

    Timeline& timeline_;
    std::deque<Outcome>& outcomes_;
};

class AuthWorkerTest : public ::testing::Test {
protected:
    // The fakes as the worker's services, owned by the fixture.
    AuthWorkerServices Services() {
        AuthWorkerServices services;
        services.owner = owner;
        services.time = time;
        services.log = log;
        services.open_channel = [this] {
            return std::make_unique<FakeChannel>(timeline, outcomes);
        };
        services.module_handle = 0x400000;
        return services;
    }

    // Runs the given number of passes and returns the timeline.
    Timeline Run(int passes) {
        AuthWorker worker(Services());
        int pass = 0;
        worker.Execute([&] { return pass++ >= passes; });
        return timeline;
    }

    Timeline timeline;
    std::deque<Outcome> outcomes;
    std::shared_ptr<FakeOwner> owner = std::make_shared<FakeOwner>(timeline);
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>(timeline);
    std::shared_ptr<FakeLog> log = std::make_shared<FakeLog>();
};

const std::string kCredentials = "username=TEST%5Cdemo\r\ndname=%D0%94%D0%B5%D0%BC%D0%BE\r\n";

TEST_F(AuthWorkerTest, FirstContactAsksForCredentialsPostsThemAtOnceAndPolls) {
    outcomes = {"server_need_auth_data\r\n", "server_status_ok\r\nbalans=10\r\ntarif=%D0%90+1\r\n",
                "server_status_ok\r\nbalans=9\r\n"};
    EXPECT_EQ(Run(3), (Timeline{
                          "GET_SERVER",
                          "GET http://gate/",
                          "NEED_DATA 0",
                          "GET_SERVER",
                          "POST http://gate/ " + kCredentials,
                          "STATUS balans=10 tarif=А 1",
                          "sleep 31999",
                          "GET_SERVER",
                          "GET http://gate/",
                          "STATUS balans=9",
                          "sleep 31999",
                      }));
    EXPECT_EQ(log->lines, (std::vector<std::u16string>{u"Начало работы потока авторизации",
                                                       u"Завершение потока авторизации"}));
}

TEST_F(AuthWorkerTest, ServerThatKeepsAskingGetsOnePostPerPause) {
    outcomes = {"server_need_auth_data\r\n", "server_need_auth_data\r\n",
                "server_need_auth_data\r\n"};
    EXPECT_EQ(Run(3), (Timeline{
                          "GET_SERVER",
                          "GET http://gate/",
                          "NEED_DATA 0",
                          "GET_SERVER",
                          "POST http://gate/ " + kCredentials,
                          "sleep 31999",
                          "NEED_DATA 0",
                          "GET_SERVER",
                          "POST http://gate/ " + kCredentials,
                          "sleep 31999",
                          "NEED_DATA 0",
                      }));
}

TEST_F(AuthWorkerTest, EachOutcomePausesForItsOwnRange) {
    struct Case {
        const char* name;
        Outcome outcome;
        Timeline expected;
    };
    const std::vector<Case> cases = {
        {"refused credentials", "server_auth_failed\r\nwhy\r\n", {"FAILED", "sleep 60000"}},
        {"good answer", "server_status_ok\r\n", {"STATUS ", "sleep 30000"}},
        {"empty answer", "", {"ERROR 0 Сервер вернул пустой ответ", "sleep 5000", "close"}},
        {"only a line break is no keyword", "\r\n", {"ERROR 0 \r\n", "sleep 5000", "close"}},
        {"keyword followed by a blank",
         "server_status_ok \r\nbalans=1",
         {"ERROR 0 server_status_ok \r\nbalans=1\r\n", "sleep 5000", "close"}},
        {"keyword in other letters",
         "SERVER_STATUS_OK\r\n",
         {"ERROR 0 SERVER_STATUS_OK\r\n", "sleep 5000", "close"}},
        {"byte order mark before the keyword",
         "\xEF\xBB\xBFserver_status_ok\r\n",
         {"ERROR 0 \xEF\xBB\xBFserver_status_ok\r\n", "sleep 5000", "close"}},
        {"refused connection",
         Failure{
             "Не удалось подключиться к gate:80: Подключение не установлено, т.к. конечный компьютер отверг запрос на подключение"},
         {"ERROR 0 Не удалось подключиться к gate:80: Подключение не установлено, т.к. конечный компьютер отверг запрос на подключение",
          "sleep 5000", "close"}},
        {"unresolvable name",
         Failure{"Не удалось найти адрес сервера «gate»"},
         {"ERROR 0 Не удалось найти адрес сервера «gate»", "sleep 5000", "close"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        timeline.clear();
        outcomes = {c.outcome};
        time->smallest_jitter = true;
        Timeline expected{"GET_SERVER", "GET http://gate/"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(Run(1), expected);
    }
}

TEST_F(AuthWorkerTest, NoServerAddressMakesNoRequest) {
    owner->server = u"";
    EXPECT_EQ(Run(2), (Timeline{"GET_SERVER", "sleep 1999", "GET_SERVER", "sleep 1999"}));
    owner->gone = true;  // a window that no longer exists answers nothing
    timeline.clear();
    EXPECT_EQ(Run(1), (Timeline{"sleep 1999"}));
}

TEST_F(AuthWorkerTest, ThreeLocalSocketFailuresAreSilentAndTheFourthIsReported) {
    const Failure local{
        "Не удалось подключиться к gate:80: Обычно разрешается только одно использование адреса сокета",
        ExchangeError::Kind::LocalSocketFailure};
    outcomes = {local, local, local, local, local, "server_status_ok\r\n", local};
    const Timeline silent{"GET_SERVER", "GET http://gate/", "sleep 6999", "close"};
    const Timeline reported{"GET_SERVER", "GET http://gate/", "ERROR 1 " + local.text, "sleep 6999",
                            "close"};
    Timeline expected;
    for (const auto* part : {&silent, &silent, &silent, &reported, &reported})
        expected.insert(expected.end(), part->begin(), part->end());
    // A good answer starts the count again.
    expected.insert(expected.end(), {"GET_SERVER", "GET http://gate/", "STATUS ", "sleep 31999"});
    expected.insert(expected.end(), silent.begin(), silent.end());
    EXPECT_EQ(Run(7), expected);
    EXPECT_EQ(log->lines.size(), 2u + 6u);  // start, six failures, end
}

TEST_F(AuthWorkerTest, FailedPostIsRetriedWithTheSameCredentials) {
    outcomes = {"server_need_auth_data\r\n", Failure{"Сервер не ответил за 30000 мс"},
                "server_status_ok\r\n"};
    EXPECT_EQ(Run(3), (Timeline{
                          "GET_SERVER",
                          "GET http://gate/",
                          "NEED_DATA 0",
                          "GET_SERVER",
                          "POST http://gate/ " + kCredentials,
                          "ERROR 0 Сервер не ответил за 30000 мс",
                          "sleep 6999",
                          "close",
                          "GET_SERVER",
                          "POST http://gate/ " + kCredentials,
                          "STATUS ",
                          "sleep 31999",
                      }));
}

TEST_F(AuthWorkerTest, PostAnsweredWithAKeywordAndABlankPausesThenFails) {
    outcomes = {"server_need_auth_data\r\n", "server_need_auth_data \r\n"};
    EXPECT_EQ(Run(2), (Timeline{
                          "GET_SERVER",
                          "GET http://gate/",
                          "NEED_DATA 0",
                          "GET_SERVER",
                          "POST http://gate/ " + kCredentials,
                          "sleep 31999",
                          "ERROR 0 server_need_auth_data \r\n",
                          "sleep 6999",
                          "close",
                      }));
}

TEST_F(AuthWorkerTest, MalformedFieldKeepsTheFieldsReadSoFarForTheNextPost) {
    outcomes = {"server_status_ok\r\nbalans=5\r\nbad=%zz\r\nlate=1\r\n", "server_status_ok\r\n"};
    EXPECT_EQ(Run(2), (Timeline{
                          "GET_SERVER",
                          "GET http://gate/",
                          "ERROR 0 ''$zz'' is not a valid integer value",
                          "sleep 6999",
                          "close",
                          "GET_SERVER",
                          "POST http://gate/ balans=5\r\n",
                          "STATUS ",
                          "sleep 31999",
                      }));
}

TEST_F(AuthWorkerTest, FailingLogNeverStopsTheWorker) {
    log->broken = true;
    outcomes = {Failure{"Не удалось подключиться"}, "server_status_ok\r\n"};
    EXPECT_EQ(Run(2), (Timeline{"GET_SERVER", "GET http://gate/", "ERROR 0 Не удалось подключиться",
                                "sleep 6999", "close", "GET_SERVER", "GET http://gate/", "STATUS ",
                                "sleep 31999"}));
}

// An error the failure guard does not catch ends the worker quietly: no report, what it holds
// freed, and its end logged. Where it strikes: opening the channel (no Winsock, no memory), or
// inside the guard itself (the window's handling of the report).
TEST_F(AuthWorkerTest, AnErrorOutsideTheGuardEndsTheWorkerQuietlyAndLogsItsEnd) {
    {
        SCOPED_TRACE("the channel cannot be opened");
        AuthWorkerServices services = Services();
        services.open_channel = []() -> std::unique_ptr<ServerChannel> { throw std::bad_alloc(); };
        AuthWorker worker(std::move(services));
        int asked = 0;
        worker.Execute([&] { return asked++ > 100; });
        EXPECT_EQ(asked, 0) << "no pass may run without a channel";
        EXPECT_TRUE(timeline.empty());
        EXPECT_EQ(log->lines, (std::vector<std::u16string>{std::u16string(kLogWorkerStarted),
                                                           std::u16string(kLogWorkerFinished)}));
    }
    {
        SCOPED_TRACE("the report of a failure raises");
        log->lines.clear();
        struct ThrowingOnError final : AuthOwner {
            std::shared_ptr<FakeOwner> inner;
            void Send(unsigned message, std::uintptr_t wparam, void* lparam) override {
                inner->Send(message, wparam, lparam);
                if (message == WM_AUTH_ERROR) throw std::runtime_error("the window failed");
            }
        };
        auto throwing = std::make_shared<ThrowingOnError>();
        throwing->inner = owner;
        AuthWorkerServices services = Services();
        services.owner = throwing;
        outcomes = {Failure{"Не удалось подключиться"}, "server_status_ok\r\n"};
        AuthWorker worker(std::move(services));
        int pass = 0;
        worker.Execute([&] { return pass++ >= 2; });
        EXPECT_EQ(timeline,
                  (Timeline{"GET_SERVER", "GET http://gate/", "ERROR 0 Не удалось подключиться"}));
        EXPECT_EQ(pass, 1) << "the worker went on after an error outside the guard";
        EXPECT_EQ(log->lines, (std::vector<std::u16string>{std::u16string(kLogWorkerStarted),
                                                           u"Не удалось подключиться",
                                                           std::u16string(kLogWorkerFinished)}));
    }
}

// Waking from sleep or a change of network: the pause in progress ends, the connection it kept is
// closed, and the next pass is the usual one. Without wake-ups every timeline above is unchanged.
TEST_F(AuthWorkerTest, AWakeUpEndsAnyPauseAndThePassRunsAtOnceOnANewConnection) {
    struct Case {
        const char* name;
        std::deque<Outcome> outcomes;
        long wake_up_at;
        int passes;
        Timeline expected;
    };
    const std::vector<Case> cases = {
        {"the poll's pause",
         {"server_status_ok\r\n", "server_status_ok\r\n"},
         10000,
         2,
         {"GET_SERVER", "GET http://gate/", "STATUS ", "sleep 31999 woken after 10000", "close",
          "GET_SERVER", "GET http://gate/", "STATUS ", "sleep 31999"}},
        {"a wake-up during the pass ends the pause after it at once",
         {"server_status_ok\r\n", "server_status_ok\r\n"},
         0,
         2,
         {"GET_SERVER", "GET http://gate/", "STATUS ", "sleep 31999 woken after 0", "close",
          "GET_SERVER", "GET http://gate/", "STATUS ", "sleep 31999"}},
        {"the pause after refused credentials",
         {"server_auth_failed\r\n", "server_status_ok\r\n"},
         20000,
         2,
         {"GET_SERVER", "GET http://gate/", "FAILED", "sleep 61999 woken after 20000", "close",
          "GET_SERVER", "GET http://gate/", "STATUS ", "sleep 31999"}},
        {"the pause after a failure",
         {Failure{"Сервер не ответил за 30000 мс"}, "server_status_ok\r\n"},
         1000,
         2,
         {"GET_SERVER", "GET http://gate/", "ERROR 0 Сервер не ответил за 30000 мс",
          "sleep 6999 woken after 1000", "close", "GET_SERVER", "GET http://gate/", "STATUS ",
          "sleep 31999"}},
        {"the pause inside a POST's pass",
         {"server_need_auth_data\r\n", "server_need_auth_data\r\n", "server_status_ok\r\n"},
         5000,
         3,
         {"GET_SERVER", "GET http://gate/", "NEED_DATA 0", "GET_SERVER",
          "POST http://gate/ " + kCredentials, "sleep 31999 woken after 5000", "close",
          "NEED_DATA 0", "GET_SERVER", "POST http://gate/ " + kCredentials, "STATUS ",
          "sleep 31999"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        timeline.clear();
        outcomes = c.outcomes;
        time = std::make_shared<VirtualTime>(timeline);  // the clock from 0 again
        time->wake_ups_at = {c.wake_up_at};
        EXPECT_EQ(Run(c.passes), c.expected);
    }
}

TEST_F(AuthWorkerTest, FiftyWakeUpsInOnePauseGiveOneEarlyPass) {
    for (long at = 5000; at < 15000; at += 200) time->wake_ups_at.push_back(at);
    ASSERT_EQ(time->wake_ups_at.size(), 50u);
    outcomes = {"server_status_ok\r\n", "server_status_ok\r\n", "server_status_ok\r\n",
                "server_status_ok\r\n"};
    EXPECT_EQ(Run(4), (Timeline{
                          "GET_SERVER",
                          "GET http://gate/",
                          "STATUS ",
                          "sleep 31999 woken after 5000",
                          "close",
                          "GET_SERVER",
                          "GET http://gate/",
                          "STATUS ",
                          "sleep 31999",
                          "GET_SERVER",
                          "GET http://gate/",
                          "STATUS ",
                          "sleep 31999",
                          "GET_SERVER",
                          "GET http://gate/",
                          "STATUS ",
                          "sleep 31999",
                      }));
    EXPECT_EQ(std::count(log->lines.begin(), log->lines.end(), kLogPauseEndedEarly), 1);
}

// A flapping adapter: a change every three seconds for twenty minutes. A pause cut short is always
// followed by one of full length, so the server sees at most two passes per normal pause.
TEST_F(AuthWorkerTest, AStreamOfWakeUpsNeverCutsTwoPausesInARow) {
    for (long at = 3000; at <= 1200000; at += 3000) time->wake_ups_at.push_back(at);
    outcomes.assign(40, "server_status_ok\r\n");
    Run(40);
    std::vector<bool> cut;
    for (const auto& entry : timeline)
        if (entry.starts_with("sleep")) cut.push_back(entry.find("woken") != std::string::npos);
    ASSERT_EQ(cut.size(), 40u);
    for (std::size_t i = 0; i < cut.size(); ++i) EXPECT_EQ(cut[i], i % 2 == 0) << "pause " << i;
}

}  // namespace
}  // namespace vq
