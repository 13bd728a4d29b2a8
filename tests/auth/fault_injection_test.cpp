// Faults of the network and of the server, injected into real exchanges with the scripted
// loopback server while the worker runs in virtual time. Every row plays the same three passes:
// a GET that the server answers with a request for credentials, a POST of those credentials that
// meets the fault, and a third pass against a healthy server. Each row checks what the window is
// told, the pause that follows, that memory stays bounded, that a failed POST is sent again with
// the same credentials and that the worker recovers.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "auth/auth_worker.h"
#include "auth/server_exchange.h"
#include "formats/byte_stream.h"
#include "formats/zip_file.h"
#include "tests/support/recorded_pauses.h"
#include "tests/support/loopback_server.h"
#include "tests/support/recording_owner.h"

namespace vq {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using test::Answer;
using test::LoopbackServer;
using test::ServerConnection;

constexpr std::uintptr_t kModule = 0x400000;
constexpr std::uint64_t kGiB = 1ull << 30;

// The window: a recording owner whose server address can change from pass to pass, so that a
// pass can be sent where nothing listens and the next one to a server that is back.
class PassOwner final : public AuthOwner {
public:
    std::vector<std::string> urls;  // one per pass; the last one stays
    std::shared_ptr<test::RecordingOwner> recorder = std::make_shared<test::RecordingOwner>(u"");
    std::vector<std::uintptr_t> wparams;

    void Send(unsigned message, std::uintptr_t wparam, void* lparam) override {
        wparams.push_back(wparam);
        recorder->Send(message, wparam, lparam);
        if (message == WM_AUTH_GET_SERVER) {
            const std::string& url = urls[std::min(pass_++, urls.size() - 1)];
            static_cast<LineList*>(lparam)->SetText(std::u16string(url.begin(), url.end()));
        }
    }

private:
    std::size_t pass_ = 0;
};

// The real exchange, watched: the largest answer buffer and cookie store seen after any call.
struct Watch {
    std::size_t answer_capacity = 0;
    std::size_t cookies = 0;
};

class WatchedExchange final : public ServerChannel {
public:
    WatchedExchange(HttpClientSettings settings, const LocalClock& clock, Watch& watch)
        : exchange_(std::move(settings), Latin1CodePage(), clock), watch_(watch) {}

    void Get(std::u16string_view base_url, std::string& answer, LineList& lines) override {
        Watched(answer, [&] { exchange_.Get(base_url, answer, lines); });
    }
    void Post(std::u16string_view base_url, std::string_view archive, std::string& answer,
              LineList& lines) override {
        Watched(answer, [&] { exchange_.Post(base_url, archive, answer, lines); });
    }
    void CloseConnection() noexcept override { exchange_.CloseConnection(); }
    const AnsiCodePage& CodePage() const override { return exchange_.CodePage(); }

private:
    template <typename Call>
    void Watched(const std::string& answer, Call call) {
        struct Note {
            WatchedExchange& self;
            const std::string& answer;
            ~Note() {
                self.watch_.answer_capacity =
                    std::max(self.watch_.answer_capacity, answer.capacity());
                self.watch_.cookies =
                    std::max(self.watch_.cookies, self.exchange_.Client().Cookies().size());
            }
        } note{*this, answer};
        call();
    }

    ServerExchange exchange_;
    Watch& watch_;
};

std::string Credentials(const std::string& post) {
    const std::string marker = "Content-Transfer-Encoding: binary\r\n\r\n";
    const auto start = post.find(marker);
    if (start == std::string::npos) return "no archive in the request";
    const auto end = post.rfind("\r\n----------");
    MemoryStream stream{post.substr(start + marker.size(), end - start - marker.size())};
    TZipFile zip;
    zip.LoadFromStream(stream);
    return zip.GetUncompressed(0);
}

const std::string kCredentials =
    "username=TEST%5Cdemo\r\ngroups=TEST%5CStaff%0D%0A\r\n"
    "dname=%D0%94%D0%B5%D0%BC%D0%BE+%D0%9F%D0%BE%D0%BB%D1%8C%D0%B7%D0%BE%D0%B2%D0%B0%D1%82%D0%B5%D0%BB%D1%8C\r\n";

// Handlers of the healthy server.
void AskForCredentials(ServerConnection& c) {
    c.ReadRequest();
    c.Send(Answer("HTTP/1.1 200 OK", "server_need_auth_data\r\n"));
}
void Accept(ServerConnection& c) {
    c.ReadRequest();
    c.Send(Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=7\r\n"));
}

std::string SetCookieStorm(int count) {
    std::string headers;
    for (int i = 0; i < count; ++i) headers += "Set-Cookie: c" + std::to_string(i) + "=v\r\n";
    return headers;
}

std::string Chunk(std::size_t size) {
    char length[32];
    const auto end = std::to_chars(length, length + sizeof length, size, 16).ptr;
    return std::string(length, end) + "\r\n" + std::string(size, 'x') + "\r\n";
}

TEST(FaultInjection, EachFaultIsReportedPausedBoundedAndRecoveredFrom) {
    struct Case {
        const char* name;
        // The server's part in the second pass; empty when nothing listens there.
        std::vector<LoopbackServer::Handler> fault;
        // Where the second pass goes instead of the server, or empty.
        std::string fault_url;
        // The window's message of the second pass; one ending in ": " is followed by the system's
        // description of the error, which differs between platforms.
        std::string message;
        // A second text the platform may give instead: a reset can reach the client as an
        // orderly close (it does under Wine).
        std::string or_message = {};
        bool failure = true;
        // The third pass posts the credentials again; a completed exchange (even one that ends
        // with an empty answer) has dropped them, so that pass is a GET.
        bool posts_again = true;
    };
    auto streamed = std::make_shared<std::atomic<std::uint64_t>>(0);
    std::uint16_t free_port;
    {
        LoopbackServer probe({});
        free_port = probe.Port();  // just freed: nothing listens there
    }
    const std::vector<Case> cases = {
        {"refused connection",
         {},
         "http://127.0.0.1:" + std::to_string(free_port) + "/",
         "ERROR 0 Не удалось подключиться к 127.0.0.1:" + std::to_string(free_port) + ": "},
        {"unresolvable name",
         {},
         "http://no-such-host.invalid/",
         "ERROR 0 Не удалось найти адрес сервера «no-such-host.invalid»: "},
        {"read time-out",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.WaitForClientClose(5000ms);
         }},
         "",
         "ERROR 0 Сервер не ответил за 300 мс"},
        {"reset inside the headers",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\nContent-Le");
             c.Reset();
         }},
         "",
         "ERROR 0 Соединение с сервером прервано: ",
         "ERROR 0 Сервер закрыл соединение, не передав заголовки ответа"},
        {"reset inside a chunk",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send(
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\nserver_status_ok\r\n");
             c.Reset();
         }},
         "",
         "ERROR 0 Соединение с сервером прервано: ",
         "ERROR 0 Сервер закрыл соединение посреди блока ответа"},
        {"one byte at a time",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.SendSlowly(Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=5\r\n"), 1ms);
         }},
         "",
         "STATUS balans=5",
         "",
         false,
         false},
        {"one byte at a time without end",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\n");
             for (int i = 0; i < 70 * 1024 && c.SendRepeated("X", 1) == 1; ++i) {
             }
         }},
         "",
         "ERROR 0 Заголовки ответа сервера длиннее 65536 байт"},
        {"1 GiB answer with its length",
         {[streamed](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n");
             *streamed = c.SendRepeated(std::string(64 * 1024, 'x'), kGiB);
         }},
         "",
         "ERROR 0 Ответ сервера длиннее 4194304 байт"},
        {"1 GiB answer without a length",
         {[streamed](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.0 200 OK\r\n\r\nserver_status_ok\r\n");
             *streamed = c.SendRepeated(std::string(64 * 1024, 'x'), kGiB);
         }},
         "",
         "ERROR 0 Ответ сервера длиннее 4194304 байт"},
        {"1 GiB chunked answer",
         {[streamed](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
             *streamed = c.SendRepeated(Chunk(64 * 1024), kGiB);
         }},
         "",
         "ERROR 0 Ответ сервера длиннее 4194304 байт"},
        {"500",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send(Answer("HTTP/1.1 500 Internal Server Error", "server_status_ok\r\n"));
         }},
         "",
         "ERROR 0 HTTP/1.1 500 Internal Server Error"},
        {"redirect loop",
         {[](ServerConnection& c) {
             while (!c.ReadRequest().empty())
                 c.Send(Answer("HTTP/1.1 302 Found", "",
                               "Location: /kvr.php\r\nConnection: keep-alive\r\n"));
         }},
         "",
         "ERROR 0 Сервер вернул пустой ответ",
         "",
         true,
         false},
        {"NUL byte in the answer",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send(Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=1\0x\r\nkredit=2\r\n"s));
         }},
         "",
         "STATUS balans=1",
         "",
         false,
         false},
        {"Set-Cookie storm",
         {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send(Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=5\r\n",
                           SetCookieStorm(3000)));
         }},
         "",
         "STATUS balans=5",
         "",
         false,
         false},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *streamed = 0;
        std::vector<LoopbackServer::Handler> handlers{AskForCredentials};
        handlers.insert(handlers.end(), c.fault.begin(), c.fault.end());
        handlers.push_back(Accept);
        std::optional<LoopbackServer> server(std::in_place, handlers);

        auto owner = std::make_shared<PassOwner>();
        owner->urls = {server->BaseUrl(), c.fault_url.empty() ? server->BaseUrl() : c.fault_url,
                       server->BaseUrl()};
        auto time = std::make_shared<test::RecordedPauses>();
        const FixedLocalClock clock({2015, 5, 15, 14, 30, 22, 123});
        Watch watch;
        AuthWorkerServices services;
        services.owner = owner;
        services.time = time;
        services.log = std::make_shared<NullConnectionLog>();
        services.module_handle = kModule;
        services.open_channel = [&] {
            HttpClientSettings settings;
            settings.read_timeout = 300ms;
            return std::make_unique<WatchedExchange>(settings, clock, watch);
        };
        AuthWorker worker(std::move(services));
        int pass = 0;
        worker.Execute([&] { return pass++ >= 3; });

        // What the window is told, and the pauses.
        const auto messages = owner->recorder->Messages();
        ASSERT_EQ(messages.size(), 6u) << ::testing::PrintToString(messages);
        EXPECT_EQ(messages[0], "GET_SERVER");
        EXPECT_EQ(messages[1], "NEED_DATA");
        EXPECT_EQ(messages[2], "GET_SERVER");
        const auto matches = [&](const std::string& expected) {
            // A text ending in ": " is followed by the system's own description.
            return expected.ends_with(": ") ? messages[3].starts_with(expected)
                                            : messages[3] == expected;
        };
        EXPECT_TRUE(matches(c.message) || (!c.or_message.empty() && matches(c.or_message)))
            << messages[3] << "\n  expected: " << c.message;
        EXPECT_EQ(messages[4], "GET_SERVER");
        EXPECT_EQ(messages[5], "STATUS balans=7");
        for (std::size_t i = 0; i < owner->wparams.size(); ++i)
            EXPECT_EQ(owner->wparams[i], messages[i].starts_with("ERROR") ? 0u : kModule)
                << messages[i];
        EXPECT_EQ(time->pauses, (std::vector<long>{c.failure ? 6999 : 31999, 31999}));

        // Memory: every answer that gets through is small, so an answer buffer past 1 KiB would
        // hold part of a huge one; the cookie store stays within its limit, and a huge answer is
        // given up on soon after the 4 MiB limit (what the server got out includes the kernel's
        // buffers).
        EXPECT_LE(watch.answer_capacity, 1024u);
        EXPECT_LE(watch.cookies, CookieStore::kMaxCookiesPerDomain);

        // The credentials: posted in the second pass and, after a failure, posted again unchanged
        // in the third; after a success the third pass is a poll.
        const auto requests = server->Requests();
        server.reset();  // every handler has ended: the streamed count is final
        EXPECT_LT(streamed->load(), 64ull << 20);
        ASSERT_GE(requests.size(), 2u);
        const std::string& last = requests.back();
        EXPECT_TRUE(requests[0].starts_with("GET /kvr.php "));
        EXPECT_TRUE(requests[1].starts_with("POST /kvr.php "));
        EXPECT_EQ(Credentials(requests[1]), kCredentials);
        if (c.posts_again) {
            ASSERT_TRUE(last.starts_with("POST /kvr.php ")) << last;
            EXPECT_EQ(Credentials(last), kCredentials);
            if (c.fault_url.empty()) {
                // The same request to the byte up to the archive, whose only difference may be
                // the file time the archive takes from the clock.
                const auto head = [](const std::string& post) {
                    return post.substr(0, post.find("PK\x03\x04"));
                };
                EXPECT_EQ(head(requests[1]), head(last));
            }
        } else {
            EXPECT_TRUE(last.starts_with("GET /kvr.php ")) << last;
        }
    }
}

TEST(FaultInjection, CookieStormKeepsTheNewestFiftyOnTheWire) {
    LoopbackServer server({[](ServerConnection& c) {
        c.ReadRequest();
        c.Send(Answer("HTTP/1.1 200 OK", "x", SetCookieStorm(3000) + "Connection: keep-alive\r\n"));
        c.ReadRequest();
        c.Send(Answer("HTTP/1.1 200 OK", "y"));
    }});
    HttpClientSettings settings;
    settings.read_timeout = 2000ms;
    HttpClient client(settings);
    std::string answer;
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(client.Cookies().size(), CookieStore::kMaxCookiesPerDomain);
    client.Get(server.BaseUrl(), answer);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto start = requests[1].find("\r\nCookie: ");
    ASSERT_NE(start, std::string::npos);
    const std::string cookie =
        requests[1].substr(start + 10, requests[1].find("\r\n", start + 2) - start - 10);
    EXPECT_TRUE(cookie.starts_with("c2950=v; ")) << cookie;
    EXPECT_TRUE(cookie.ends_with("; c2999=v")) << cookie;
    EXPECT_EQ(std::count(cookie.begin(), cookie.end(), ';'), 49);
}

}  // namespace
}  // namespace vq
