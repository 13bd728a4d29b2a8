#include "auth/request_head.h"

#include <gtest/gtest.h>

#include "auth/multipart_body.h"

namespace vq {
namespace {

TEST(RequestHead, GetCarriesTheFixedHeadersInOrder) {
    RequestHead head{"GET", "/vq/kvr.php", "gate.corp.local", "", std::nullopt, ""};
    EXPECT_EQ(FormatRequestHead(head),
              "GET /vq/kvr.php HTTP/1.0\r\n"
              "Connection: keep-alive\r\n"
              "Host: gate.corp.local\r\n"
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
              "Accept-Encoding: identity\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "\r\n");
}

TEST(RequestHead, PostPutsContentTypeAndLengthBeforeHostAndCookieLast) {
    RequestHead head{"POST",
                     "/kvr.php?x=1",
                     "10.0.0.1:8080",
                     "multipart/form-data; boundary=--------051515143022123",
                     321,
                     "PHPSESSID=abc; lang=ru"};
    EXPECT_EQ(FormatRequestHead(head),
              "POST /kvr.php?x=1 HTTP/1.0\r\n"
              "Connection: keep-alive\r\n"
              "Content-Type: multipart/form-data; boundary=--------051515143022123\r\n"
              "Content-Length: 321\r\n"
              "Host: 10.0.0.1:8080\r\n"
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
              "Accept-Encoding: identity\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "Cookie: PHPSESSID=abc; lang=ru\r\n"
              "\r\n");
}

TEST(MultipartBody, BoundaryIsEightHyphensAndTheMomentAsFifteenDigits) {
    // 15 May 2015, 14:30:22.123
    const LocalDateTime moment{2015, 5, 15, 14, 30, 22, 123};
    EXPECT_EQ(MultipartBoundary(moment), "--------051515143022123");
    EXPECT_EQ(MultipartBoundary({2009, 1, 2, 3, 4, 5, 6}), "--------010209030405006");
    EXPECT_EQ(MultipartBoundary(moment).size(), 23u);
}

TEST(MultipartBody, WrapsTheArchiveByteForByte) {
    const MultipartBody body(LocalDateTime{2015, 5, 15, 14, 30, 22, 123});
    const std::string archive("PK\x03\x04\0\r\n--", 10);
    EXPECT_EQ(body.ContentType(), "multipart/form-data; boundary=--------051515143022123");
    EXPECT_EQ(body.Build(archive),
              "----------051515143022123\r\n"
              "Content-Disposition: form-data; name=\"dta\"; filename=\"dta\"\r\n"
              "Content-Type: application/octet-stream; charset=\"utf-8\"\r\n"
              "Content-Transfer-Encoding: binary\r\n"
              "\r\n" +
                  archive +
                  "\r\n"
                  "----------051515143022123--\r\n");
}

}  // namespace
}  // namespace vq
