// vq-probe as a black box: the bytes it puts on the wire (against the scripted loopback server)
// and a first contact with the PHP reference access server.

#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "formats/byte_stream.h"
#include "formats/zip_file.h"
#include "tests/support/access_server.h"
#include "tests/support/loopback_server.h"
#include "tests/support/run_command.h"

namespace vq {
namespace {

test::CommandResult Probe(const std::string& arguments) {
    return test::RunCommand(std::string(VQ_PROBE_PATH) + " " + arguments + " 2>&1");
}

TEST(VqProbe, GetPutsTheFixedRequestOnTheWire) {
    test::LoopbackServer server({[](test::ServerConnection& c) {
        c.ReadRequest();
        c.Send(test::Answer("HTTP/1.1 200 OK", "server_need_auth_data\r\n"));
    }});
    const auto result = Probe(server.BaseUrl());
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.output, "server_need_auth_data\n--\n");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "GET /kvr.php HTTP/1.0\r\n"
              "Connection: keep-alive\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(server.Port()) +
                  "\r\n"
                  "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                  "Accept-Encoding: identity\r\n"
                  "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                  "\r\n");
}

TEST(VqProbe, PostCarriesTheListInAOneEntryArchive) {
    test::LoopbackServer server({[](test::ServerConnection& c) {
        c.ReadRequest();
        c.Send(test::Answer(
            "HTTP/1.1 200 OK",
            "server_status_ok\r\nbalans=12%2E5\r\ndname=%D0%94%D0%B5%D0%BC%D0%BE\r\n"));
    }});
    const auto result =
        Probe("--fields --set 'username=TEST\\demo' --set 'dname=Демо 1' " + server.BaseUrl());
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.output,
              "server_status_ok\nbalans=12%2E5\ndname=%D0%94%D0%B5%D0%BC%D0%BE\n"
              "balans=12.5\ndname=Демо\n--\n");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];

    const std::regex head_pattern(
        "POST /kvr.php HTTP/1.0\r\n"
        "Connection: keep-alive\r\n"
        "Content-Type: multipart/form-data; boundary=(--------[0-9]{15})\r\n"
        "Content-Length: ([0-9]+)\r\n"
        "Host: 127.0.0.1:[0-9]+\r\n"
        "Accept: text/html,application/xhtml\\+xml,application/xml;q=0.9,\\*/\\*;q=0.8\r\n"
        "Accept-Encoding: identity\r\n"
        "User-Agent: Mozilla/3.0 \\(compatible; Indy Library\\)\r\n"
        "\r\n");
    std::smatch head;
    ASSERT_TRUE(
        std::regex_search(request, head, head_pattern, std::regex_constants::match_continuous));
    const std::string boundary = head[1];
    const std::string body = request.substr(head.length(0));
    EXPECT_EQ(std::to_string(body.size()), head[2].str());

    const std::string opening = "--" + boundary +
                                "\r\n"
                                "Content-Disposition: form-data; name=\"dta\"; filename=\"dta\"\r\n"
                                "Content-Type: application/octet-stream; charset=\"utf-8\"\r\n"
                                "Content-Transfer-Encoding: binary\r\n\r\n";
    const std::string closing = "\r\n--" + boundary + "--\r\n";
    ASSERT_TRUE(body.starts_with(opening));
    ASSERT_TRUE(body.ends_with(closing));
    const std::string archive =
        body.substr(opening.size(), body.size() - opening.size() - closing.size());

    MemoryStream stream(archive);
    TZipFile zip;
    zip.LoadFromStream(stream);
    ASSERT_EQ(zip.GetCount(), 1);
    EXPECT_EQ(zip.GetName(0), "dta");
    const std::string text = zip.GetUncompressed(0);
    EXPECT_EQ(text, "username=TEST%5Cdemo\r\ndname=%D0%94%D0%B5%D0%BC%D0%BE+1\r\n");
    // Local header and name, data, central header and name, end record: 104 bytes and the data.
    const std::size_t compressed = archive.size() - 104;
    EXPECT_EQ(archive.substr(30 + 3 + compressed, 4), "PK\x01\x02");
    EXPECT_EQ(archive.substr(archive.size() - 22, 4), "PK\x05\x06");
}

// The text of the archive entry "dta" in a credentials POST as the server received it.
std::string PostedEntryText(const std::string& request) {
    const auto body = request.find("\r\n\r\n") + 4;
    const auto archive = request.find("\r\n\r\n", body) + 4;
    const auto closing = request.rfind("\r\n--");
    MemoryStream stream(request.substr(archive, closing - archive));
    TZipFile zip;
    zip.LoadFromStream(stream);
    return zip.GetCount() == 1 ? zip.GetUncompressed(0) : "";
}

TEST(VqProbe, TraceShowsTheEntryTextAfterEveryPostHead) {
    // A 307 repeats the POST with its body, a 303 turns it into a GET without one.
    test::LoopbackServer server({
        [](test::ServerConnection& c) {
            c.ReadRequest();
            c.Send(test::Answer("HTTP/1.1 307 Temporary Redirect", "", "Location: /b/kvr.php\r\n"));
        },
        [](test::ServerConnection& c) {
            c.ReadRequest();
            c.Send(test::Answer("HTTP/1.1 303 See Other", "", "Location: /c/kvr.php\r\n"));
        },
        [](test::ServerConnection& c) {
            c.ReadRequest();
            c.Send(test::Answer("HTTP/1.1 200 OK", "server_auth_failed\r\n"));
        },
    });
    const auto result =
        Probe("--trace --set 'username=TEST\\demo' --set 'dname=Демо 1' " + server.BaseUrl());
    EXPECT_EQ(result.exit_code, 0) << result.output;
    const std::string entry =
        "> dta: username=TEST%5Cdemo\n"
        "> dta: dname=%D0%94%D0%B5%D0%BC%D0%BE+1\n";
    // The head's lines stay as they were; the entry's lines follow its last one.
    EXPECT_NE(result.output.find("> User-Agent: Mozilla/3.0 (compatible; Indy Library)\n" + entry),
              std::string::npos)
        << result.output;
    std::string requests_and_answer;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("> ") && !line.starts_with("> POST ") && !line.starts_with("> GET ") &&
            !line.starts_with("> dta: "))
            continue;
        requests_and_answer += line + "\n";
    }
    EXPECT_EQ(requests_and_answer, "> POST /kvr.php HTTP/1.0\n" + entry +
                                       "> POST /b/kvr.php HTTP/1.0\n" + entry +
                                       "> GET /c/kvr.php HTTP/1.0\nserver_auth_failed\n--\n");
    // What the trace shows is what went into the archive, CR LF after each line.
    ASSERT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(PostedEntryText(server.Requests()[1]),
              "username=TEST%5Cdemo\r\ndname=%D0%94%D0%B5%D0%BC%D0%BE+1\r\n");
}

TEST(VqProbe, FailuresGoToStandardErrorWithStatusOne) {
    test::LoopbackServer server({[](test::ServerConnection& c) {
        c.ReadRequest();
        c.Send(test::Answer("HTTP/1.1 404 Not Found", "nope"));
    }});
    EXPECT_EQ(test::RunCommand(std::string(VQ_PROBE_PATH) + " " + server.BaseUrl() + " 2>/dev/null")
                  .output,
              "");
    const auto result = Probe("https://gate/");
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(
        result.output,
        "error: Схема «https» в адресе «https://gate/kvr.php» не поддерживается: клиент работает только по http\n");

    const auto usage = Probe("--repeat 0 http://gate/");
    EXPECT_EQ(usage.exit_code, 2);
    EXPECT_NE(usage.output.find("Usage: vq-probe"), std::string::npos);
    const auto help = Probe("--help");
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.output.find("--set NAME=VALUE"), std::string::npos);
}

TEST(VqProbe, FirstContactWithTheReferenceServer) {
    test::AccessServer server;
    const auto first = Probe(server.BaseUrl());
    EXPECT_EQ(first.exit_code, 0);
    EXPECT_EQ(first.output, "server_need_auth_data\n--\n");

    const auto known = Probe(
        "--repeat 2 --fields --set 'username=TEST\\demo' "
        "--set 'groups=TEST\\Staff' --set 'dname=Демо Пользователь' " +
        server.BaseUrl());
    EXPECT_EQ(known.exit_code, 0) << known.output;
    const std::string answer_start = "server_status_ok\n";
    ASSERT_TRUE(known.output.starts_with(answer_start)) << known.output;
    EXPECT_NE(known.output.find("\ndname=Демо Пользователь\n"), std::string::npos) << known.output;
    EXPECT_NE(known.output.find("\nbalans=612.35\n"), std::string::npos) << known.output;
    // Two exchanges, each ended by its own line.
    const auto separator = known.output.find("--\n");
    ASSERT_NE(separator, std::string::npos);
    EXPECT_TRUE(known.output.substr(separator + 3).starts_with(answer_start));
    EXPECT_TRUE(known.output.ends_with("--\n"));

    const auto unknown = Probe("--set 'username=TEST\\nobody' " + server.BaseUrl());
    EXPECT_EQ(unknown.output, "server_auth_failed\n--\n");

    const auto missing = Probe(server.BaseUrl() + "no-such-folder/");
    EXPECT_EQ(missing.exit_code, 1);
    // PHP's server answers an HTTP/1.0 request with an HTTP/1.0 status line.
    EXPECT_EQ(missing.output, "error: HTTP/1.0 404 Not Found\n");
}

}  // namespace
}  // namespace vq

namespace vq {
namespace {

TEST(VqProbeLoop, PrintsEveryMessageTheWorkerSends) {
    test::LoopbackServer server({[](test::ServerConnection& c) {
        c.ReadRequest();
        c.Send(test::Answer("HTTP/1.1 200 OK", "server_need_auth_data\r\n"));
    }});
    // One pass: the GET is answered with a request for credentials, which needs no pause.
    const auto result = Probe(
        "--loop --passes 1 --user 'TEST\\demo' --group 'TEST\\Staff' "
        "--group 'TEST\\VPN Users' --display 'Демо' " +
        server.BaseUrl());
    EXPECT_EQ(result.exit_code, 0);
    const std::regex expected(
        "[0-9]+ WM_AUTH_GET_SERVER " + server.BaseUrl() +
        "\n"
        "[0-9]+ WM_AUTH_NEED_DATA username=TEST\\\\demo; groups=TEST\\\\Staff\\\\r\\\\nTEST\\\\VPN Users\\\\r\\\\n; dname=Демо\n");
    EXPECT_TRUE(std::regex_match(result.output, expected)) << result.output;
}

TEST(VqProbeLoop, ReportsAFailureWithItsText) {
    std::string base;
    {
        test::LoopbackServer gone({});
        base = gone.BaseUrl();
    }
    const auto result = Probe("--loop --passes 1 " + base);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.output.find(" WM_AUTH_ERROR 0 Не удалось подключиться к 127.0.0.1:"),
              std::string::npos)
        << result.output;
}

}  // namespace
}  // namespace vq
