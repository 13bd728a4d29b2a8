// The worker on its own thread with the real HTTP client, against the scripted loopback server;
// pauses are recorded, not slept.

#include "auth/auth_thread.h"

#include <gtest/gtest.h>

#include "auth/server_exchange.h"
#include "tests/support/recorded_pauses.h"
#include "tests/support/loopback_server.h"
#include "tests/support/recording_owner.h"

namespace vq {
namespace {

using namespace std::chrono_literals;

// Pauses are recorded, not slept; the jitter is half its range.
std::shared_ptr<test::RecordedPauses> NoSleep() {
    return std::make_shared<test::RecordedPauses>(test::RecordedPauses::Jitter::Middle);
}

AuthWorkerServices Services(std::shared_ptr<AuthOwner> owner, std::shared_ptr<WorkerTime> time) {
    AuthWorkerServices services;
    services.owner = std::move(owner);
    services.time = std::move(time);
    services.log = std::make_shared<NullConnectionLog>();
    services.open_channel = [] {
        HttpClientSettings settings;
        settings.read_timeout = 2000ms;
        return std::make_unique<ServerExchange>(settings);
    };
    return services;
}

TEST(AuthThread, FirstContactThenAPollCarryingTheSessionCookie) {
    const std::string keep = "Connection: keep-alive\r\n";
    test::LoopbackServer server({[&](test::ServerConnection& c) {
        c.ReadRequest();
        c.Send(test::Answer("HTTP/1.1 200 OK", "server_need_auth_data\r\n", keep));
        c.ReadRequest();
        c.Send(test::Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=612%2E35\r\n",
                            keep + "Set-Cookie: PHPSESSID=abc; path=/\r\n"));
        c.ReadRequest();
        c.Send(test::Answer("HTTP/1.1 200 OK", "server_status_ok\r\nbalans=600\r\n", keep));
    }});
    const std::string base = server.BaseUrl();
    auto owner = std::make_shared<test::RecordingOwner>(std::u16string(base.begin(), base.end()));
    auto time = NoSleep();
    TAuthThread worker(Services(owner, time), 3);
    worker.WaitFor();

    EXPECT_EQ(owner->Messages(), (std::vector<std::string>{"GET_SERVER", "NEED_DATA", "GET_SERVER",
                                                           "STATUS balans=612.35", "GET_SERVER",
                                                           "STATUS balans=600"}));
    EXPECT_EQ(time->pauses, (std::vector<long>{31000, 31000}));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[0].starts_with("GET /kvr.php HTTP/1.0\r\n"));
    EXPECT_TRUE(requests[1].starts_with("POST /kvr.php HTTP/1.0\r\n"));
    // The poll repeats the POST's Content-Type line and carries the session cookie.
    EXPECT_TRUE(
        requests[2].starts_with("GET /kvr.php HTTP/1.0\r\nConnection: keep-alive\r\n"
                                "Content-Type: multipart/form-data; boundary=--------"));
    EXPECT_TRUE(requests[2].ends_with("Cookie: PHPSESSID=abc\r\n\r\n"));
    EXPECT_EQ(server.ConnectionsAccepted(), 1);
}

TEST(AuthThread, TerminateIsSeenAtTheTopOfTheNextPass) {
    auto owner = std::make_shared<test::RecordingOwner>(u"");  // no server address: it idles
    auto time = NoSleep();
    TAuthThread worker(Services(owner, time));
    while (owner->Messages().size() < 3) std::this_thread::sleep_for(1ms);
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(owner->Messages().size(), time->pauses.size());
    EXPECT_EQ(time->pauses.front(), 1500);
}

// A worker that cannot open its channel ends its thread on its own, and the process goes on.
TEST(AuthThread, AWorkerThatCannotStartEndsWithoutTakingTheProgramAlong) {
    auto owner = std::make_shared<test::RecordingOwner>(u"http://127.0.0.1:1/");
    AuthWorkerServices services = Services(owner, NoSleep());
    services.open_channel = []() -> std::unique_ptr<ServerChannel> {
        throw std::runtime_error("no Winsock");
    };
    TAuthThread worker(std::move(services));
    worker.WaitFor();
    EXPECT_TRUE(worker.Finished());
    EXPECT_TRUE(owner->Messages().empty());
}

}  // namespace
}  // namespace vq
