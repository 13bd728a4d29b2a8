#include "auth/answer_reader.h"

#include <gtest/gtest.h>

#include "auth/exchange_error.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

struct Read {
    std::string status_line;
    int status = 0;
    std::string body;
    bool keep_alive = false;
    bool to_end_of_stream = false;
};

// Feeds the bytes in pieces of the given size, then (optionally) the end of the stream.
Read ReadAnswer(std::string_view bytes, std::size_t piece, bool close_after,
                AnswerLimits limits = {}) {
    AnswerReader reader(limits);
    for (std::size_t at = 0; at < bytes.size() && !reader.Done(); at += piece)
        reader.Feed(bytes.substr(at, piece));
    if (close_after) reader.FeedEndOfStream();
    EXPECT_TRUE(reader.Done());
    return {reader.StatusLine(), reader.Status(), reader.TakeBody(), reader.AsksKeepAlive(),
            reader.BodyRunsToEndOfStream()};
}

TEST(AnswerReader, ReadsEveryKindOfBodyWhateverThePieces) {
    struct Case {
        const char* name;
        std::string bytes;
        bool close_after;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"content-length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, "hello"},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n",
         false, "hello world"},
        {"chunked in any case",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: CHUNKED\r\n\r\n2\r\nok\r\n0\r\n\r\n", false, "ok"},
        // "chunked" anywhere in Transfer-Encoding frames the body, whatever Content-Length says.
        {"chunked with a Content-Length",
         "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
         false, "hello"},
        {"chunked before another coding",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip\r\n\r\n2\r\nok\r\n0\r\n\r\n", false,
         "ok"},
        {"chunked in a second field",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nContent-Length: 9\r\nTransfer-Encoding: Chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n",
         false, "ok"},
        // Any other Transfer-Encoding frames nothing: the length, or the end of the connection.
        {"another coding with a length",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nContent-Length: 4\r\n\r\nabcd", false,
         "abcd"},
        {"another coding until close", "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\n\r\nrest",
         true, "rest"},
        {"until the server closes", "HTTP/1.0 200 OK\r\n\r\nserver_need_auth_data\r\n", true,
         "server_need_auth_data\r\n"},
        {"content-length cut short keeps what arrived",
         "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npartial", true, "partial"},
        {"204 has no body", "HTTP/1.1 204 No Content\r\n\r\n", false, ""},
        {"a NUL byte in the body",
         std::string("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\na\0b", 41), false,
         std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, c.bytes.size()}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
            EXPECT_EQ(ReadAnswer(c.bytes, piece, c.close_after).body, c.body);
        }
    }
}

TEST(AnswerReader, KeepsTheStatusLineAsReceivedAndTheKeepAliveWish) {
    const auto read = ReadAnswer(
        "HTTP/1.1 404 Not Found\r\nConnection:  Keep-Alive \r\nContent-Length: 0\r\n\r\n", 3,
        false);
    EXPECT_EQ(read.status_line, "HTTP/1.1 404 Not Found");
    EXPECT_EQ(read.status, 404);
    EXPECT_TRUE(read.keep_alive);
    EXPECT_FALSE(read.to_end_of_stream);

    EXPECT_TRUE(
        ReadAnswer("HTTP/1.0 200 OK\r\nProxy-Connection: keep-alive\r\nContent-Length: 0\r\n\r\n",
                   100, false)
            .keep_alive);
    EXPECT_FALSE(ReadAnswer("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 100, false).keep_alive);
    EXPECT_FALSE(
        ReadAnswer("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 0\r\n\r\n", 100, false)
            .keep_alive);
    EXPECT_TRUE(ReadAnswer("HTTP/1.0 200 OK\r\n\r\nx", 100, true).to_end_of_stream);
}

TEST(AnswerReader, InterimAnswerIsFollowedByTheRealOne) {
    AnswerReader reader;
    reader.Feed("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    ASSERT_TRUE(reader.HeaderDone());
    EXPECT_EQ(reader.Status(), 100);
    reader.StartNextAnswer();
    ASSERT_TRUE(reader.Done());
    EXPECT_EQ(reader.StatusLine(), "HTTP/1.1 200 OK");
    EXPECT_EQ(reader.TakeBody(), "ok");
}

TEST(AnswerReader, BytesPastTheAnswerAreLeftForTheNextOne) {
    AnswerReader reader;
    reader.Feed("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokHTTP/1.1");
    EXPECT_TRUE(reader.Done());
    EXPECT_EQ(reader.TakeBody(), "ok");
    EXPECT_EQ(reader.TakeLeftover(), "HTTP/1.1");
}

TEST(AnswerReader, BrokenOrOversizedAnswersFailWithAText) {
    struct Case {
        const char* name;
        std::string bytes;
        bool close_after;
        std::string text_part;
    };
    AnswerLimits small;
    small.header_bytes = 1024;
    small.body_bytes = 64;
    const std::vector<Case> cases = {
        {"garbage status line", "HTTP/1.1 abc\r\n\r\n", false,
         "Ответ сервера не по протоколу HTTP: неверный код состояния"},
        {"not HTTP at all", "server_status_ok\r\n\r\n", false,
         "Ответ сервера не по протоколу HTTP: неверная версия HTTP"},
        {"malformed chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
         false, "Ответ сервера не по протоколу HTTP: неверный блок"},
        {"closed inside the headers", "HTTP/1.1 200 OK\r\nContent-Le", true,
         "Сервер закрыл соединение, не передав заголовки ответа"},
        {"closed inside a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc",
         true, "Сервер закрыл соединение посреди блока ответа"},
        {"headers beyond the cap", "HTTP/1.1 200 OK\r\nX: " + std::string(2000, 'a') + "\r\n\r\n",
         false, "Заголовки ответа сервера длиннее 1024 байт"},
        {"declared body beyond the cap", "HTTP/1.1 200 OK\r\nContent-Length: 65\r\n\r\n", false,
         "Ответ сервера длиннее 64 байт"},
        // Nothing is set aside for a declared length before the cap refuses it.
        {"declared terabyte body", "HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\nab",
         false, "Ответ сервера длиннее 64 байт"},
        {"chunked body beyond the cap",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n" + std::string(64, 'x') +
             "\r\n1\r\ny\r\n0\r\n\r\n",
         false, "Ответ сервера длиннее 64 байт"},
        {"body to the end beyond the cap", "HTTP/1.0 200 OK\r\n\r\n" + std::string(65, 'x'), true,
         "Ответ сервера длиннее 64 байт"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto read_answer = [&] {
            AnswerReader reader(small);
            reader.Feed(c.bytes);
            if (reader.HeaderDone()) reader.ExpectBody();
            if (c.close_after) reader.FeedEndOfStream();
        };
        EXPECT_THAT(read_answer,
                    test::ThrowsWithMessage<ExchangeError>(
                        testing::HasSubstr(c.text_part),
                        testing::Property("IsLocalSocketFailure()",
                                          &ExchangeError::IsLocalSocketFailure, false)));
    }
}

}  // namespace
}  // namespace vq
