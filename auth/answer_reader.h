#pragma once
// Reads one HTTP answer from the bytes the server sends, fed in as they arrive, with no socket
// of its own: the status line and headers, then the body (chunked, sized by Content-Length, or
// up to the end of the connection). Boost.Beast's parser does the parsing, after the head's
// framing headers have been brought to the form it accepts.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vq {

struct AnswerLimits {
    std::size_t header_bytes = 64 * 1024;
    std::size_t body_bytes = 4 * 1024 * 1024;
};

class AnswerReader {
public:
    explicit AnswerReader(AnswerLimits limits = {});
    ~AnswerReader();
    AnswerReader(const AnswerReader&) = delete;
    AnswerReader& operator=(const AnswerReader&) = delete;

    // Takes bytes from the server. Raises ExchangeError when they cannot be an HTTP answer or
    // overrun a limit. Bytes past the end of this answer are kept for the next one (Leftover).
    void Feed(std::string_view bytes);
    // The server closed the connection. A body sized by Content-Length that was cut short keeps
    // what arrived; a connection closed inside the headers or a chunk is an ExchangeError.
    void FeedEndOfStream();
    // After an interim answer ("100 Continue"): starts reading the answer that follows it, from
    // the bytes already received past the interim one.
    void StartNextAnswer();
    // Raises ExchangeError when the declared body is larger than the cap; called before the
    // body is read, so that an oversized answer fails at once.
    void ExpectBody() const;
    // From now on the body is not kept (a redirect's body is read and dropped).
    void DiscardBody();

    bool HeaderDone() const;
    bool Done() const;

    // Available once the header is done.
    int Status() const;
    const std::string& StatusLine() const { return status_line_; }
    std::string Header(std::string_view name) const;                // first value, or empty
    std::vector<std::string> Headers(std::string_view name) const;  // every value, in order
    // Whether the answer asks to keep the connection: its Connection or Proxy-Connection header
    // is "keep-alive" (any case, blanks around ignored).
    bool AsksKeepAlive() const;
    // Whether the body runs until the server closes the connection.
    bool BodyRunsToEndOfStream() const;

    std::string TakeBody();
    std::string TakeLeftover();

    struct Parser;

private:
    void MakeHeadPlain();
    void Parse();

    std::unique_ptr<Parser> parser_;
    std::string pending_;
    std::string status_line_;
    std::size_t body_bytes_ = 0;    // body bytes (chunk framing included) taken so far
    std::size_t head_scanned_ = 0;  // bytes of pending_ searched for the head's end so far
    bool head_plain_ = false;       // the head's framing headers have been made plain
    bool ended_ = false;
};

}  // namespace vq
