#pragma once
// The worker's HTTP/1.0 client: keep-alive, redirects, cookies, a read time-out on every wait,
// no proxy, no content coding, no TLS. What it puts on the wire is fixed to the byte because the
// access server has always received exactly this from the workstation client.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "auth/answer_reader.h"
#include "auth/cookie_store.h"
#include "auth/http_connection.h"
#include "auth/target_url.h"

namespace vq {

struct HttpClientSettings {
    std::chrono::milliseconds read_timeout{30000};
    // Redirect answers in a row are followed while their count stays below this, so at most
    // 14 are followed and the 15th ends the exchange with an empty answer.
    int redirect_answer_limit = 15;
    AnswerLimits limits;
    // Told the head of every request as it is sent (the administrator's trace); may be empty.
    std::function<void(std::string_view head)> on_request;
};

class HttpClient {
public:
    explicit HttpClient(HttpClientSettings settings = {},
                        CookieStore::Clock clock = std::chrono::system_clock::now);

    // The body of the final answer goes into answer, which is emptied first. A failure raises
    // ExchangeError with its text.
    void Get(std::string_view url, std::string& answer);
    void Post(std::string_view url, std::string_view content_type, std::string_view body,
              std::string& answer);

    // Closes the connection if it is open; closing a closed connection does nothing.
    void CloseConnection() noexcept { connection_.Close(); }
    bool ConnectionOpen() const { return connection_.IsOpen(); }

    CookieStore& Cookies() { return cookies_; }
    void SetReadTimeout(std::chrono::milliseconds timeout);

private:
    enum class Method { Get, Post };
    void Exchange(Method method, std::string_view url, std::string_view body, std::string& answer);
    // Sends one request and reads its answer up to the end of the headers ("100 Continue" skipped).
    void SendAndReadHeader(Method method, const TargetUrl& url, std::string_view body,
                           AnswerReader& reader);
    void ReadInto(AnswerReader& reader);
    void ReadToEnd(AnswerReader& reader);
    void StoreCookies(const TargetUrl& url, const AnswerReader& reader);
    // The address rarely changes from one exchange to the next: it is parsed again only when it does.
    const TargetUrl& Parsed(std::string_view url_text);

    HttpClientSettings settings_;
    CookieStore cookies_;
    HttpConnection connection_;
    // The request's content type outlives the POST that set it: a later GET repeats the line.
    std::string content_type_;
    std::string leftover_;
    std::string parsed_text_;
    std::optional<TargetUrl> parsed_url_;
};

}  // namespace vq
