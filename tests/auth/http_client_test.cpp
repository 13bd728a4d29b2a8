#include "auth/http_client.h"

#include <thread>

#include <gtest/gtest.h>

#include "auth/exchange_error.h"
#include "auth/server_exchange.h"
#include "tests/support/loopback_server.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using test::Answer;
using test::LoopbackServer;
using test::ServerConnection;
using namespace std::chrono_literals;

constexpr std::string_view kFixedHeaders =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
    "Accept-Encoding: identity\r\n"
    "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";

// A handler that answers each request on its connection with the next answer.
LoopbackServer::Handler Answers(std::vector<std::string> answers) {
    return [answers](ServerConnection& connection) {
        for (const auto& answer : answers) {
            if (connection.ReadRequest().empty()) return;
            connection.Send(answer);
        }
    };
}

std::string Host(const LoopbackServer& server) {
    return "127.0.0.1:" + std::to_string(server.Port());
}

HttpClientSettings QuickSettings() {
    HttpClientSettings settings;
    settings.read_timeout = 2000ms;
    return settings;
}

TEST(HttpClient, GetThenPostThenGetOnOneKeptConnection) {
    const std::string keep = "Connection: keep-alive\r\n";
    LoopbackServer server({Answers({
        Answer("HTTP/1.1 200 OK", "server_need_auth_data\r\n",
               keep + "Set-Cookie: PHPSESSID=s1; path=/\r\n"),
        Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=10\r\n", keep),
        Answer("HTTP/1.1 200 OK", "server_status_ok\r\n", keep),
    })});
    const FixedLocalClock clock({2015, 5, 15, 14, 30, 22, 123});
    ServerExchange exchange(QuickSettings(), Latin1CodePage(), clock);
    const std::string base_url = server.BaseUrl();
    const std::u16string base(base_url.begin(), base_url.end());
    std::string answer;
    LineList lines;

    exchange.Get(base, answer, lines);
    EXPECT_EQ(lines.Lines(), std::vector<std::u16string>{u"server_need_auth_data"});
    exchange.Post(base, "ARCHIVE", answer, lines);
    EXPECT_EQ(lines.Lines(), (std::vector<std::u16string>{u"server_status_ok", u"balans=10"}));
    exchange.Get(base, answer, lines);
    EXPECT_EQ(answer, "server_status_ok\r\n");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(server.ConnectionsAccepted(), 1);
    EXPECT_EQ(requests[0], "GET /kvr.php HTTP/1.0\r\nConnection: keep-alive\r\nHost: " +
                               Host(server) + "\r\n" + std::string(kFixedHeaders) + "\r\n");
    const std::string body =
        "----------051515143022123\r\n"
        "Content-Disposition: form-data; name=\"dta\"; filename=\"dta\"\r\n"
        "Content-Type: application/octet-stream; charset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: binary\r\n\r\nARCHIVE\r\n----------051515143022123--\r\n";
    const std::string content_type =
        "Content-Type: multipart/form-data; boundary=--------051515143022123\r\n";
    EXPECT_EQ(requests[1], "POST /kvr.php HTTP/1.0\r\nConnection: keep-alive\r\n" + content_type +
                               "Content-Length: " + std::to_string(body.size()) +
                               "\r\nHost: " + Host(server) + "\r\n" + std::string(kFixedHeaders) +
                               "Cookie: PHPSESSID=s1\r\n\r\n" + body);
    // The GET after a POST repeats the POST's Content-Type line, with no body and no length.
    EXPECT_EQ(requests[2], "GET /kvr.php HTTP/1.0\r\nConnection: keep-alive\r\n" + content_type +
                               "Host: " + Host(server) + "\r\n" + std::string(kFixedHeaders) +
                               "Cookie: PHPSESSID=s1\r\n\r\n");
}

TEST(HttpClient, ClosesUnlessTheAnswerAsksToKeepTheConnection) {
    LoopbackServer server({Answers({Answer("HTTP/1.1 200 OK", "a")}),
                           Answers({Answer("HTTP/1.0 200 OK", "b", "Connection: close\r\n")}),
                           Answers({"HTTP/1.0 200 OK\r\nConnection: keep-alive\r\n\r\nc"}),
                           Answers({Answer("HTTP/1.0 200 OK", "d")})});
    HttpClient client(QuickSettings());
    std::string answer;
    for (const char* expected : {"a", "b", "c", "d"}) {
        client.Get(server.BaseUrl(), answer);
        EXPECT_EQ(answer, expected);
        EXPECT_FALSE(client.ConnectionOpen());
    }
    EXPECT_EQ(server.ConnectionsAccepted(), 4);
}

TEST(HttpClient, KeptConnectionClosedByTheServerIsOpenedAgainOnce) {
    LoopbackServer server(
        {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send(Answer("HTTP/1.1 200 OK", "first", "Connection: keep-alive\r\n"));
             c.Close();  // idle connection dropped by the server
         },
         Answers({Answer("HTTP/1.1 200 OK", "second")})});
    HttpClient client(QuickSettings());
    std::string answer;
    client.Get(server.BaseUrl(), answer);
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(answer, "second");
    EXPECT_EQ(server.ConnectionsAccepted(), 2);
}

TEST(HttpClient, KeptConnectionThatFallsSilentIsNotAskedAgain) {
    LoopbackServer server(
        {[](ServerConnection& c) {
             c.ReadRequest();
             c.Send(Answer("HTTP/1.1 200 OK", "first", "Connection: keep-alive\r\n"));
             c.ReadRequest();
             c.WaitForClientClose(3000ms);  // the request may be in the works
         },
         Answers({Answer("HTTP/1.1 200 OK", "never")})});
    HttpClient client(QuickSettings());
    client.SetReadTimeout(200ms);
    std::string answer;
    client.Get(server.BaseUrl(), answer);
    EXPECT_THROW(client.Get(server.BaseUrl(), answer), ExchangeError);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.ConnectionsAccepted(), 1);
}

// A body larger than the sockets' buffers goes out in several writes, each waiting for room; a
// server that takes none of it ends the write at the time-out, not never.
TEST(HttpClient, LargeBodiesGoOutWholeAndAServerThatTakesNoneTimesOut) {
    // More than the two ends' socket buffers hold together.
    const std::string body(32 << 20, 'x');
    std::string answer;
    {
        LoopbackServer server({Answers({Answer("HTTP/1.1 200 OK", "taken\r\n")})});
        HttpClient client(QuickSettings());
        // The server reads the body's last megabytes after the client has written them.
        client.SetReadTimeout(30000ms);
        client.Post(server.BaseUrl() + "kvr.php", "text/plain", body, answer);
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_TRUE(server.Requests()[0].ends_with("\r\n\r\n" + body));
    }
    LoopbackServer deaf({[](ServerConnection&) { std::this_thread::sleep_for(1500ms); }});
    HttpClient client(QuickSettings());
    client.SetReadTimeout(300ms);
    EXPECT_THAT([&] { client.Post(deaf.BaseUrl() + "kvr.php", "text/plain", body, answer); },
                test::ThrowsWithMessage<ExchangeError>("Сервер не принял запрос за 300 мс"));
}

TEST(HttpClient, FollowsRedirectsWithTheSameBodyExceptAfter303) {
    LoopbackServer server({Answers({
        Answer("HTTP/1.1 302 Found", "moved",
               "Location: /second/kvr.php\r\nConnection: keep-alive\r\nSet-Cookie: hop=1\r\n"),
        Answer("HTTP/1.1 303 See Other", "", "Location: third.php\r\nConnection: keep-alive\r\n"),
        Answer("HTTP/1.1 200 OK", "server_status_ok\r\n"),
    })});
    HttpClient client(QuickSettings());
    std::string answer = "stale";
    client.Post(server.BaseUrl() + "kvr.php", "multipart/form-data; boundary=B", "BODY", answer);
    EXPECT_EQ(answer, "server_status_ok\r\n");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[0].starts_with("POST /kvr.php HTTP/1.0\r\n"));
    EXPECT_TRUE(requests[1].starts_with("POST /second/kvr.php HTTP/1.0\r\n"));
    EXPECT_TRUE(requests[1].ends_with("\r\nCookie: hop=1\r\n\r\nBODY"));
    EXPECT_TRUE(requests[2].starts_with("GET /second/third.php HTTP/1.0\r\n"));
    EXPECT_EQ(requests[2].find("Content-Length"), std::string::npos);
    EXPECT_TRUE(requests[2].ends_with("Cookie: hop=1\r\n\r\n"));
}

TEST(HttpClient, FourteenRedirectsAreFollowedAndTheFifteenthGivesAnEmptyAnswer) {
    const auto redirects = [](int count, std::string last) {
        std::vector<std::string> answers;
        for (int i = 0; i < count; ++i)
            answers.push_back(
                Answer("HTTP/1.1 301 Moved", "",
                       "Location: /r" + std::to_string(i) + "\r\nConnection: keep-alive\r\n"));
        answers.push_back(std::move(last));
        return answers;
    };
    LoopbackServer server({Answers(redirects(14, Answer("HTTP/1.1 200 OK", "arrived"))),
                           Answers(redirects(15, Answer("HTTP/1.1 200 OK", "never")))});
    HttpClient client(QuickSettings());
    std::string answer;
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(answer, "arrived");
    client.CloseConnection();
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(answer, "");
    EXPECT_EQ(server.Requests().size(), 15u + 15u);
}

TEST(HttpClient, FailureStatusesFailWithTheirStatusLine) {
    struct Case {
        const char* name;
        std::string answer;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"404", Answer("HTTP/1.1 404 Not Found", "<html>missing</html>"), "HTTP/1.1 404 Not Found"},
        {"500 with a keyword body",
         Answer("HTTP/1.0 500 Internal Server Error", "server_status_ok\r\n"),
         "HTTP/1.0 500 Internal Server Error"},
        {"redirect without Location", Answer("HTTP/1.1 302 Found", ""), "HTTP/1.1 302 Found"},
        {"304 even with Location", Answer("HTTP/1.1 304 Not Modified", "", "Location: /x\r\n"),
         "HTTP/1.1 304 Not Modified"},
        {"401", Answer("HTTP/1.1 401 Unauthorized", "", "WWW-Authenticate: Basic realm=\"x\"\r\n"),
         "HTTP/1.1 401 Unauthorized"},
        {"huge error body is not read", "HTTP/1.1 503 Busy\r\nContent-Length: 1073741824\r\n\r\nxx",
         "HTTP/1.1 503 Busy"},
        // Only "100 Continue" is skipped; no second answer is waited for after another 1xx.
        {"102 at once",
         "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
         "HTTP/1.1 102 Processing"},
        {"redirect to https", Answer("HTTP/1.1 302 Found", "", "Location: https://secure/\r\n"),
         "Схема «https» в адресе «https://secure/» не поддерживается"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({Answers({c.answer})});
        HttpClient client(QuickSettings());
        std::string answer;
        EXPECT_THAT([&] { client.Get(server.BaseUrl() + "kvr.php", answer); },
                    test::ThrowsWithMessage<ExchangeError>(testing::HasSubstr(c.text)));
        EXPECT_FALSE(client.ConnectionOpen());
    }
}

TEST(HttpClient, SkipsInterimAnswersAndReadsChunkedAndToTheEnd) {
    LoopbackServer server({
        Answers(
            {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: keep-alive\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
             "HTTP/1.0 200 OK\r\n\r\nuntil close"}),
    });
    HttpClient client(QuickSettings());
    std::string answer;
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(answer, "abc");
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(answer, "until close");
}

TEST(HttpClient, ServerThatBreaksOffOrFallsSilentIsAFailure) {
    struct Case {
        const char* name;
        LoopbackServer::Handler handler;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"reset inside the headers",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\nContent-");
         },
         "не передав заголовки ответа"},
        {"closed inside a chunk",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc");
         },
         "посреди блока ответа"},
        {"silent server",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.WaitForClientClose(3000ms);
         },
         "Сервер не ответил за 300 мс"},
        {"silent in the middle of the body",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nab");
             c.WaitForClientClose(3000ms);
         },
         "Сервер не ответил за 300 мс"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.handler});
        HttpClient client(QuickSettings());
        client.SetReadTimeout(300ms);
        std::string answer;
        EXPECT_THAT([&] { client.Get(server.BaseUrl(), answer); },
                    test::ThrowsWithMessage<ExchangeError>(
                        testing::HasSubstr(c.text),
                        testing::Property("IsLocalSocketFailure()",
                                          &ExchangeError::IsLocalSocketFailure, false)));
        EXPECT_FALSE(client.ConnectionOpen());
    }
}

TEST(HttpClient, ContentLengthCutShortByTheServerKeepsWhatArrived) {
    LoopbackServer server({[](ServerConnection& c) {
        c.ReadRequest();
        c.SendSlowly("HTTP/1.0 200 OK\r\nContent-Length: 50\r\n\r\nserver_status_ok\r\n", 1ms);
    }});
    HttpClient client(QuickSettings());
    std::string answer;
    client.Get(server.BaseUrl(), answer);
    EXPECT_EQ(answer, "server_status_ok\r\n");
}

TEST(HttpClient, UnreachableServersFailWithTheSystemsDescription) {
    HttpClient client(QuickSettings());
    std::string answer;
    // A port that was just free: nothing listens there.
    std::uint16_t free_port;
    {
        LoopbackServer probe({});
        free_port = probe.Port();
    }
    EXPECT_THAT(
        [&] { client.Get("http://127.0.0.1:" + std::to_string(free_port) + "/kvr.php", answer); },
        test::ThrowsWithMessage<ExchangeError>(
            testing::StartsWith("Не удалось подключиться к 127.0.0.1:"),
            testing::Property("IsLocalSocketFailure()", &ExchangeError::IsLocalSocketFailure,
                              false)));
    EXPECT_THAT([&] { client.Get("http://no-such-host.invalid/kvr.php", answer); },
                test::ThrowsWithMessage<ExchangeError>(
                    testing::StartsWith("Не удалось найти адрес сервера «no-such-host.invalid»")));
}

TEST(HttpClient, ChangingHostOrPortClosesTheKeptConnection) {
    LoopbackServer first(
        {Answers({Answer("HTTP/1.1 200 OK", "one", "Connection: keep-alive\r\n")})});
    LoopbackServer second(
        {Answers({Answer("HTTP/1.1 200 OK", "two", "Connection: keep-alive\r\n")})});
    HttpClient client(QuickSettings());
    std::string answer;
    client.Get(first.BaseUrl(), answer);
    EXPECT_TRUE(client.ConnectionOpen());
    client.Get(second.BaseUrl(), answer);
    EXPECT_EQ(answer, "two");
    EXPECT_EQ(first.ConnectionsAccepted(), 1);
    EXPECT_EQ(second.ConnectionsAccepted(), 1);
}

}  // namespace
}  // namespace vq
