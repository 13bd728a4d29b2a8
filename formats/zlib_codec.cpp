#include "formats/zlib_codec.h"

#include <zlib.h>

#include <algorithm>

namespace vq {

namespace {

// zlib counts in unsigned int; larger buffers are handed over in passes of at most this much.
constexpr std::size_t kMaxPass = std::size_t{1} << 30;
constexpr std::size_t kCompressStep = 16 * 1024;
constexpr std::size_t kFirstInflateStep = 64 * 1024;

std::string ZlibMessage(const char* operation, int code, const z_stream& stream) {
    const char* reason = stream.msg != nullptr ? stream.msg : zError(code);
    return std::string(operation) + ": " + reason + " (zlib error " + std::to_string(code) + ")";
}

class InflateEnd {
public:
    explicit InflateEnd(z_stream& stream) : stream_(stream) {}
    ~InflateEnd() { inflateEnd(&stream_); }
    InflateEnd(const InflateEnd&) = delete;
    InflateEnd& operator=(const InflateEnd&) = delete;

private:
    z_stream& stream_;
};

Bytef* InputBytes(std::string_view bytes, std::size_t offset) {
    // zlib never writes through next_in; its declaration just predates const.
    return reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + offset));
}

}  // namespace

// The deflate stream of a ZlibDeflater; ended when the object goes.
struct ZlibDeflater::Stream {
    z_stream z{};
    ~Stream() { deflateEnd(&z); }
};

ZlibDeflater::ZlibDeflater() = default;
ZlibDeflater::~ZlibDeflater() = default;
ZlibDeflater::ZlibDeflater(const ZlibDeflater&) noexcept {}
ZlibDeflater& ZlibDeflater::operator=(const ZlibDeflater&) noexcept { return *this; }

std::string ZlibDeflater::Compress(std::string_view bytes) {
    if (stream_) {
        const int reset = deflateReset(&stream_->z);
        if (reset != Z_OK) {
            const std::string message = ZlibMessage("Compression error", reset, stream_->z);
            stream_.reset();
            throw ECompressionError(message);
        }
    } else {
        auto fresh = std::make_unique<Stream>();
        const int init =
            deflateInit2(&fresh->z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        if (init != Z_OK) {
            const std::string message = ZlibMessage("Compression error", init, fresh->z);
            fresh->z.state = nullptr;  // nothing to end
            throw ECompressionError(message);
        }
        stream_ = std::move(fresh);
    }
    z_stream& stream = stream_->z;

    std::string output;
    std::size_t consumed = 0;
    int flush = Z_NO_FLUSH;
    int code = Z_OK;
    while (flush != Z_FINISH) {
        const std::size_t pass = std::min(bytes.size() - consumed, kMaxPass);
        stream.next_in = InputBytes(bytes, consumed);
        stream.avail_in = static_cast<uInt>(pass);
        consumed += pass;
        flush = consumed == bytes.size() ? Z_FINISH : Z_NO_FLUSH;
        // Keep handing out room until deflate leaves some unused: then it has taken all input
        // (and, when finishing, written the trailer). A small input gets the room its worst case
        // needs, not a whole step: the room is cleared before deflate writes it.
        do {
            const std::size_t produced = output.size();
            const std::size_t room = std::min<std::size_t>(
                kCompressStep, deflateBound(&stream, static_cast<uLong>(stream.avail_in)));
            output.resize(produced + room);
            stream.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
            stream.avail_out = static_cast<uInt>(room);
            code = deflate(&stream, flush);
            output.resize(produced + room - stream.avail_out);
            if (code == Z_STREAM_ERROR) {
                const std::string message = ZlibMessage("Compression error", code, stream);
                stream_.reset();
                throw ECompressionError(message);
            }
        } while (stream.avail_out == 0);
    }
    if (code != Z_STREAM_END) {
        const std::string message = ZlibMessage("Compression error", code, stream);
        stream_.reset();
        throw ECompressionError(message);
    }
    return output;
}

std::string ZlibCompress(std::string_view bytes) { return ZlibDeflater().Compress(bytes); }

std::string ZlibDecompress(std::string_view input, std::uint64_t max_output) {
    z_stream stream{};
    const int init = inflateInit2(&stream, 15);
    if (init != Z_OK) throw EDecompressionError(ZlibMessage("Decompression error", init, stream));
    const InflateEnd end(stream);

    std::string output;
    std::uint64_t produced = 0;
    std::size_t consumed = 0;
    // inflate refuses a null output pointer even when it is asked for no output.
    char no_room = 0;
    for (;;) {
        if (stream.avail_in == 0 && consumed < input.size()) {
            const std::size_t pass = std::min(input.size() - consumed, kMaxPass);
            stream.next_in = InputBytes(input, consumed);
            stream.avail_in = static_cast<uInt>(pass);
            consumed += pass;
        }
        // Grow by doubling, never beyond max_output: memory follows what really comes out.
        if (produced == output.size() && produced < max_output) {
            const std::uint64_t wanted = std::max<std::uint64_t>(kFirstInflateStep, 2 * produced);
            output.resize(static_cast<std::size_t>(std::min(wanted, max_output)));
        }
        const std::size_t room = std::min<std::size_t>(output.size() - produced, kMaxPass);
        stream.next_out = reinterpret_cast<Bytef*>(room != 0 ? output.data() + produced : &no_room);
        stream.avail_out = static_cast<uInt>(room);
        const int code = inflate(&stream, Z_NO_FLUSH);
        produced += room - stream.avail_out;
        if (code == Z_STREAM_END || code == Z_BUF_ERROR) break;  // ended, or no progress left
        if (code != Z_OK)
            throw EDecompressionError(ZlibMessage("Decompression error", code, stream));
        if (produced == max_output) break;
    }
    output.resize(static_cast<std::size_t>(produced));
    return output;
}

}  // namespace vq
