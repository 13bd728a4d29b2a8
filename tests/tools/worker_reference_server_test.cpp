// The worker against the PHP reference access server: a first contact, the poll that follows,
// the server going away and coming back.

#include <gtest/gtest.h>

#include "auth/auth_thread.h"
#include "auth/server_exchange.h"
#include "tests/support/recorded_pauses.h"
#include "tests/support/access_server.h"
#include "tests/support/recording_owner.h"

namespace vq {
namespace {

using namespace std::chrono_literals;

TEST(WorkerWithReferenceServer, RecoversWhenTheServerComesBack) {
    test::AccessServer server;
    const std::string base = server.BaseUrl();
    auto owner = std::make_shared<test::RecordingOwner>(std::u16string(base.begin(), base.end()));
    auto time = std::make_shared<test::RecordedPauses>();
    // After the first poll the server goes away; after the first failure it comes back.
    time->at_pause = [&](std::size_t pause) {
        if (pause == 0) server.Stop();
        if (pause == 1) server.Start();
    };
    AuthWorkerServices services;
    services.owner = owner;
    services.time = time;
    services.log = std::make_shared<NullConnectionLog>();
    services.open_channel = [] { return std::make_unique<ServerExchange>(); };
    TAuthThread worker(std::move(services), 4);
    worker.WaitFor();

    const auto messages = owner->Messages();
    ASSERT_EQ(messages.size(), 8u) << ::testing::PrintToString(messages);
    EXPECT_EQ(messages[1], "NEED_DATA");
    EXPECT_TRUE(messages[3].starts_with(
        "STATUS blocked=0 unlim=0 dname=Демо Пользователь tarif=Стандарт 800 balans=612.35"))
        << messages[3];
    EXPECT_TRUE(messages[5].starts_with("ERROR 0 Не удалось подключиться к 127.0.0.1:"))
        << messages[5];
    // Back again: the session cookie still names the session, so a GET is enough.
    EXPECT_TRUE(messages[7].starts_with("STATUS blocked=0")) << messages[7];
    EXPECT_EQ(time->pauses, (std::vector<long>{31999, 6999, 31999}));
    EXPECT_NE(server.Log().find("GET TEST\\demo -> server_status_ok"), std::string::npos)
        << server.Log();
}

}  // namespace
}  // namespace vq
