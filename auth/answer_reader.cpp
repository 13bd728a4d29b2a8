#include "auth/answer_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <boost/beast/core/buffers_range.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>

#include "auth/exchange_error.h"
#include "auth/failure_texts.h"

namespace vq {

namespace beast = boost::beast;
namespace http = beast::http;

namespace {

// The body as a string that grows only as bytes arrive. Beast's string_body reserves the whole
// declared Content-Length as soon as the header is read, so a hostile length would allocate
// gigabytes before the body cap could refuse the answer.
struct GrowingStringBody {
    using value_type = std::string;

    static std::uint64_t size(const value_type& body) { return body.size(); }

    class reader {
    public:
        template <bool isRequest, class Fields>
        reader(http::header<isRequest, Fields>&, value_type& body) : body_(body) {}

        void init(const boost::optional<std::uint64_t>&, beast::error_code& error) { error = {}; }

        template <class ConstBufferSequence>
        std::size_t put(const ConstBufferSequence& buffers, beast::error_code& error) {
            std::size_t taken = 0;
            for (const auto buffer : beast::buffers_range_ref(buffers)) {
                body_.append(static_cast<const char*>(buffer.data()), buffer.size());
                taken += buffer.size();
            }
            error = {};
            return taken;
        }

        void finish(beast::error_code& error) { error = {}; }

    private:
        value_type& body_;
    };
};

}  // namespace

struct AnswerReader::Parser {
    http::response_parser<GrowingStringBody> parser;
    AnswerLimits limits;
    bool discard_body = false;
};

namespace {

std::string Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

bool IEquals(std::string_view a, std::string_view b) { return beast::iequals(a, b); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IContains(std::string_view text, std::string_view part) {
    if (part.empty()) return true;
    const char first = AsciiLower(part.front());
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at)
        if (AsciiLower(text[at]) == first && IEquals(text.substr(at, part.size()), part))
            return true;
    return false;
}

// Whether a line of the head begins with `name`, in any case, after blanks: where a field of that
// name would be. A quick look before the head is taken apart.
bool HasLineStartingWith(std::string_view head, std::string_view name) {
    for (std::size_t at = 0; at < head.size(); ++at) {
        at = head.find('\n', at);
        if (at == std::string_view::npos) return false;
        std::size_t start = at + 1;
        while (start < head.size() && (head[start] == ' ' || head[start] == '\t')) ++start;
        if (IEquals(head.substr(start, name.size()), name)) return true;
    }
    return false;
}

// The head (status line, header lines, the empty line) with its framing made plain for Beast,
// which refuses an answer that has both Transfer-Encoding and Content-Length and reads "chunked"
// only as the last coding. The client's rule: a Transfer-Encoding that contains "chunked", in any
// case and anywhere in its value, makes the body chunked, whatever Content-Length says; any other
// Transfer-Encoding is no framing at all, so Content-Length, or the end of the connection, sizes
// the body. A head without Transfer-Encoding is left as it is: then there is no new head.
std::optional<std::string> PlainFraming(std::string_view head) {
    constexpr std::string_view kEncoding = "Transfer-Encoding";
    constexpr std::string_view kLength = "Content-Length";
    if (!HasLineStartingWith(head, kEncoding)) return std::nullopt;

    // The fields, each with its continuation lines (which begin with a blank), as offsets into
    // the head, CR LF included.
    struct Field {
        std::string_view name;
        std::size_t start, end;
    };
    std::vector<Field> fields;
    const std::size_t status_end = head.find("\r\n") + 2;
    for (std::size_t at = status_end; at < head.size();) {
        const std::size_t end = head.find("\r\n", at) + 2;
        if (end == at + 2) break;  // the empty line that ends the head
        if ((head[at] == ' ' || head[at] == '\t') && !fields.empty())
            fields.back().end = end;
        else
            fields.push_back({head.substr(at, std::min(head.find(':', at), end) - at), at, end});
        at = end;
    }
    const auto text = [&](const Field& field) {
        return head.substr(field.start, field.end - field.start);
    };
    bool has_encoding = false, chunked = false;
    for (const auto& field : fields) {
        if (!IEquals(Trim(field.name), kEncoding)) continue;
        has_encoding = true;
        chunked = chunked || IContains(text(field).substr(field.name.size()), "chunked");
    }
    if (!has_encoding) return std::nullopt;

    std::string plain(head.substr(0, status_end));
    for (const auto& field : fields) {
        const std::string name = Trim(field.name);
        if (IEquals(name, kEncoding) || (chunked && IEquals(name, kLength))) continue;
        plain.append(text(field));
    }
    if (chunked) plain.append(kEncoding).append(": chunked\r\n");
    return plain.append("\r\n");
}

// What the parser found wrong with an answer, in the user's words; Beast's own texts are English.
std::string WhatIsWrong(const beast::error_code& failure) {
    using http::error;
    static constexpr struct {
        error code;
        const char* text;
    } kTexts[] = {
        {error::bad_line_ending, "неверный конец строки"},
        {error::bad_version, "неверная версия HTTP"},
        {error::bad_status, "неверный код состояния"},
        {error::bad_reason, "неверный текст состояния"},
        {error::bad_field, "неверное имя заголовка"},
        {error::bad_value, "неверное значение заголовка"},
        {error::bad_content_length, "неверный Content-Length"},
        {error::multiple_content_length, "несколько Content-Length"},
        {error::bad_transfer_encoding, "неверный Transfer-Encoding"},
        {error::bad_chunk, "неверный блок"},
        {error::bad_chunk_extension, "неверное расширение блока"},
        {error::bad_obs_fold, "неверный перенос заголовка"},
        {error::unexpected_body, "тело там, где его не бывает"},
    };
    for (const auto& entry : kTexts)
        if (failure == entry.code) return entry.text;
    return failure.message();
}

[[noreturn]] void Fail(const beast::error_code& error, const AnswerLimits& limits) {
    if (error == http::error::header_limit)
        throw ExchangeError(failure_text::HeadersTooLong(limits.header_bytes));
    if (error == http::error::body_limit)
        throw ExchangeError(failure_text::BodyTooLong(limits.body_bytes));
    if (error == http::error::partial_message)
        throw ExchangeError(failure_text::ClosedInsideAnswer());
    throw ExchangeError(failure_text::MalformedAnswer(WhatIsWrong(error)));
}

}  // namespace

namespace {

std::unique_ptr<AnswerReader::Parser> MakeParser(const AnswerLimits& limits) {
    auto parser = std::make_unique<AnswerReader::Parser>();
    parser->limits = limits;
    parser->parser.eager(true);
    parser->parser.header_limit(static_cast<std::uint32_t>(limits.header_bytes));
    // The body's cap is kept here rather than by the parser, which would apply it to a declared
    // length as soon as the header is read: an error status with a huge body must still be
    // reported by its status line.
    parser->parser.body_limit(boost::none);
    return parser;
}

}  // namespace

AnswerReader::AnswerReader(AnswerLimits limits) : parser_(MakeParser(limits)) {}

void AnswerReader::StartNextAnswer() {
    parser_ = MakeParser(parser_->limits);
    status_line_.clear();
    body_bytes_ = 0;
    head_scanned_ = 0;
    head_plain_ = false;
    Parse();
}

AnswerReader::~AnswerReader() = default;

void AnswerReader::Feed(std::string_view bytes) {
    pending_.append(bytes);
    Parse();
}

// Once the whole head has arrived, its framing headers are made plain before the parser reads
// them. The search for the head's end goes on where the last one stopped, so a head that drips in
// byte by byte costs no more than one that arrives at once.
void AnswerReader::MakeHeadPlain() {
    if (head_plain_ || parser_->parser.is_header_done()) return;
    const std::size_t end = pending_.find("\r\n\r\n", head_scanned_);
    if (end == std::string::npos) {
        head_scanned_ = pending_.size() < 3 ? 0 : pending_.size() - 3;
        return;
    }
    head_plain_ = true;
    const std::string_view head = std::string_view(pending_).substr(0, end + 4);
    const std::optional<std::string> plain = PlainFraming(head);
    if (!plain || *plain == head) return;
    pending_.replace(0, head.size(), *plain);
    // The parser has taken none of the head yet, but remembers how far it has looked for its end
    // in the bytes as they were: a new one reads the new head from its start.
    parser_ = MakeParser(parser_->limits);
}

void AnswerReader::Parse() {
    MakeHeadPlain();
    auto& parser = parser_->parser;
    while (!parser.is_done() && !pending_.empty()) {
        const bool header_was_done = parser.is_header_done();
        beast::error_code error;
        const auto used = parser.put(boost::asio::buffer(pending_.data(), pending_.size()), error);
        if (!header_was_done && parser.is_header_done()) {
            // The header was parsed in one piece, so the buffer still starts with the status
            // line exactly as the server sent it.
            status_line_ = pending_.substr(0, pending_.find_first_of("\r\n"));
        }
        pending_.erase(0, used);
        if (error == http::error::need_more) break;
        if (error) Fail(error, parser_->limits);
        if (header_was_done)
            body_bytes_ += used;
        else if (parser.is_header_done())
            body_bytes_ += parser.get().body().size();
        if (body_bytes_ > parser_->limits.body_bytes)
            Fail(http::error::body_limit, parser_->limits);
        if (parser_->discard_body) parser.get().body().clear();
        if (used == 0) break;
    }
}

void AnswerReader::FeedEndOfStream() {
    if (ended_) return;
    ended_ = true;
    auto& parser = parser_->parser;
    if (parser.is_done()) return;
    if (!parser.is_header_done()) throw ExchangeError(failure_text::ClosedInsideHeaders());
    beast::error_code error;
    parser.put_eof(error);
    if (!error) return;
    // A body sized by Content-Length that ends early is what arrived; a chunked one is broken.
    if (error == http::error::partial_message && !parser.chunked() && parser.content_length())
        return;
    if (error == http::error::partial_message && parser.chunked())
        throw ExchangeError(failure_text::ClosedInsideChunk());
    Fail(error, parser_->limits);
}

void AnswerReader::ExpectBody() const {
    const auto declared = parser_->parser.content_length();
    if (declared && *declared > parser_->limits.body_bytes)
        Fail(http::error::body_limit, parser_->limits);
}

void AnswerReader::DiscardBody() {
    parser_->discard_body = true;
    parser_->parser.get().body().clear();
}

bool AnswerReader::HeaderDone() const { return parser_->parser.is_header_done(); }

bool AnswerReader::Done() const {
    return parser_->parser.is_done() || (ended_ && parser_->parser.is_header_done());
}

int AnswerReader::Status() const { return static_cast<int>(parser_->parser.get().result_int()); }

std::string AnswerReader::Header(std::string_view name) const {
    const auto& fields = parser_->parser.get();
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : std::string(found->value());
}

std::vector<std::string> AnswerReader::Headers(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& field : parser_->parser.get())
        if (IEquals(field.name_string(), name)) values.emplace_back(field.value());
    return values;
}

bool AnswerReader::AsksKeepAlive() const {
    const auto asks = [this](std::string_view name) {
        for (const auto& value : Headers(name))
            if (IEquals(Trim(value), "keep-alive")) return true;
        return false;
    };
    return asks("Connection") || asks("Proxy-Connection");
}

bool AnswerReader::BodyRunsToEndOfStream() const {
    const auto& parser = parser_->parser;
    const int status = Status();
    const bool has_body = !(status / 100 == 1 || status == 204 || status == 304);
    return has_body && !parser.chunked() && !parser.content_length();
}

std::string AnswerReader::TakeBody() { return std::exchange(parser_->parser.get().body(), {}); }

std::string AnswerReader::TakeLeftover() { return std::exchange(pending_, {}); }

}  // namespace vq
