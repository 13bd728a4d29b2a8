#include "auth/http_client.h"

#include <array>
#include <utility>

#include "auth/exchange_error.h"
#include "auth/request_head.h"

namespace vq {

HttpClient::HttpClient(HttpClientSettings settings, CookieStore::Clock clock)
    : settings_(settings), cookies_(std::move(clock)), connection_(settings.read_timeout) {}

void HttpClient::SetReadTimeout(std::chrono::milliseconds timeout) {
    settings_.read_timeout = timeout;
    connection_.SetTimeout(timeout);
}

void HttpClient::Get(std::string_view url, std::string& answer) {
    Exchange(Method::Get, url, {}, answer);
}

void HttpClient::Post(std::string_view url, std::string_view content_type, std::string_view body,
                      std::string& answer) {
    content_type_ = std::string(content_type);
    Exchange(Method::Post, url, body, answer);
}

const TargetUrl& HttpClient::Parsed(std::string_view url_text) {
    if (!parsed_url_ || parsed_text_ != url_text) {
        parsed_url_ = ParseTargetUrl(url_text);
        parsed_text_ = url_text;
    }
    return *parsed_url_;
}

void HttpClient::Exchange(Method method, std::string_view url_text, std::string_view body,
                          std::string& answer) {
    answer.clear();
    TargetUrl url = Parsed(url_text);
    for (int redirect_answers = 0;;) {
        AnswerReader reader(settings_.limits);
        SendAndReadHeader(method, url, body, reader);
        StoreCookies(url, reader);

        const int status = reader.Status();
        const std::string location = reader.Header("Location");
        if (status >= 200 && status <= 299) {
            ReadToEnd(reader);
            answer = reader.TakeBody();
            return;
        }
        if (status >= 300 && status <= 399 && status != 304 && !location.empty()) {
            reader.DiscardBody();
            ReadToEnd(reader);
            if (++redirect_answers >= settings_.redirect_answer_limit) return;  // empty answer
            url = ResolveLocation(url, location);
            if (status == 303) {
                method = Method::Get;
                body = {};
            }
            continue;
        }
        // A failure by status: its body is of no use and may be large, so the connection is
        // dropped instead of reading it.
        connection_.Close();
        throw ExchangeError(reader.StatusLine());
    }
}

void HttpClient::SendAndReadHeader(Method method, const TargetUrl& url, std::string_view body,
                                   AnswerReader& reader) {
    const bool reused = connection_.IsOpenTo(url.host_name, url.port);
    if (!reused) {
        connection_.Open(url.host_name, url.port);
        leftover_.clear();
    }

    RequestHead head;
    head.method = method == Method::Post ? "POST" : "GET";
    head.target = url.target;
    head.host = url.HostHeader();
    head.content_type = content_type_;
    if (method == Method::Post) head.content_length = body.size();
    head.cookie = cookies_.CookieHeader(CookieOrigin{url.host_name, url.path, false});
    const std::string head_bytes = FormatRequestHead(head);
    const std::string_view sent_body = method == Method::Post ? body : std::string_view();

    if (settings_.on_request) settings_.on_request(head_bytes);
    try {
        connection_.Write(head_bytes, sent_body);
        if (!leftover_.empty()) reader.Feed(std::exchange(leftover_, {}));
        ReadInto(reader);
    } catch (const ExchangeError&) {
        // A kept-alive connection may have been closed by the server while it was idle. When
        // the server ended it before anything of the answer arrived, the request is sent once
        // more on a new connection; a time-out is not retried, as the server may be working on
        // the request.
        if (!reused || !connection_.PeerClosed() || reader.HeaderDone() ||
            !reader.TakeLeftover().empty()) {
            connection_.Close();
            throw;
        }
        connection_.Open(url.host_name, url.port);
        connection_.Write(head_bytes, sent_body);
        ReadInto(reader);
    }
    // "100 Continue" is skipped: the next status line follows. Any other interim answer fails
    // by its status line like every status the client does not take.
    while (reader.Status() == 100) {
        reader.StartNextAnswer();
        ReadInto(reader);
    }
}

// Reads until the answer's headers are complete.
void HttpClient::ReadInto(AnswerReader& reader) {
    std::array<char, 16 * 1024> buffer;
    while (!reader.HeaderDone()) {
        const std::size_t n = connection_.ReadSome(buffer.data(), buffer.size());
        if (n == 0) {
            connection_.Close();
            reader.FeedEndOfStream();  // raises: the headers are incomplete
            return;
        }
        reader.Feed(std::string_view(buffer.data(), n));
    }
}

// Reads the rest of the body, then keeps the connection only when the answer asked for it.
void HttpClient::ReadToEnd(AnswerReader& reader) {
    std::array<char, 16 * 1024> buffer;
    try {
        reader.ExpectBody();
        while (!reader.Done()) {
            const std::size_t n = connection_.ReadSome(buffer.data(), buffer.size());
            if (n == 0) {
                connection_.Close();
                reader.FeedEndOfStream();
                break;
            }
            reader.Feed(std::string_view(buffer.data(), n));
        }
    } catch (...) {
        connection_.Close();
        throw;
    }
    if (connection_.IsOpen() && reader.AsksKeepAlive() && !reader.BodyRunsToEndOfStream())
        leftover_ = reader.TakeLeftover();
    else
        connection_.Close();
}

void HttpClient::StoreCookies(const TargetUrl& url, const AnswerReader& reader) {
    const CookieOrigin origin{url.host_name, url.path, false};
    for (const auto& value : reader.Headers("Set-Cookie")) cookies_.Store(value, origin);
}

}  // namespace vq
