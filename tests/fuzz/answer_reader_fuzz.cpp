// The HTTP answer reading, without sockets: the input is fed in pieces as a server might send it
// (the first byte sets the piece size), then the end of the connection, the way the exchange
// reads an answer (interim answers skipped, the declared body checked against the cap).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include "auth/answer_reader.h"
#include "auth/exchange_error.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr vq::AnswerLimits kLimits{4096, 64 * 1024};

void Inspect(const vq::AnswerReader& reader) {
    const int status = reader.Status();
    VQ_FUZZ_CHECK(status >= 0 && status <= 999);
    VQ_FUZZ_CHECK(reader.StatusLine().size() <= kLimits.header_bytes);
    (void)reader.Header("Content-Type");
    (void)reader.Headers("Set-Cookie");
    (void)reader.AsksKeepAlive();
    (void)reader.BodyRunsToEndOfStream();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = std::size_t{1} + data[0] % 64;
    const bool discard = data[0] & 0x80;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    vq::AnswerReader reader(kLimits);
    try {
        bool checked = false;
        while (!bytes.empty()) {
            const std::size_t n = std::min(piece, bytes.size());
            reader.Feed(bytes.substr(0, n));
            bytes.remove_prefix(n);
            while (reader.HeaderDone() && reader.Done() && reader.Status() / 100 == 1) {
                reader.StartNextAnswer();
                checked = false;
            }
            if (reader.HeaderDone() && !checked) {
                Inspect(reader);
                reader.ExpectBody();
                if (discard) reader.DiscardBody();
                checked = true;
            }
            if (reader.Done()) break;
        }
        if (!reader.Done()) reader.FeedEndOfStream();
        if (reader.HeaderDone()) Inspect(reader);
        const std::string body = reader.TakeBody();
        // The cap holds within one piece of input.
        VQ_FUZZ_CHECK(body.size() <= kLimits.body_bytes + size);
        if (discard) VQ_FUZZ_CHECK(body.size() <= piece);
        (void)reader.TakeLeftover();
    } catch (const vq::ExchangeError&) {
    }
    return 0;
}
