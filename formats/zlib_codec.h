#pragma once
// Compression and inflation through zlib in its own wrapper format (RFC 1950: a 2-byte header,
// the raw deflate stream, an Adler-32 trailer). The ZIP archive keeps only the raw deflate
// stream; it strips and re-adds the wrapper itself.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "formats/errors.h"

namespace vq {

// A failure reported by zlib. The message names the operation and zlib's reason.
class EZlibError : public Exception {
public:
    using Exception::Exception;
};

class ECompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

class EDecompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

// Deflates bytes at zlib's default level (32 KiB window, memory level 8, default strategy) and
// returns the whole zlib-format stream. Raises ECompressionError.
std::string ZlibCompress(std::string_view bytes);

// ZlibCompress with one deflate stream kept for the object's life: each Compress resets the stream
// (deflateReset) instead of setting up a new one, which spares the quarter megabyte of state that
// zlib allocates and clears for every stream. The output is byte for byte ZlibCompress's. A copy
// starts without a stream of its own.
class ZlibDeflater {
public:
    ZlibDeflater();
    ~ZlibDeflater();
    ZlibDeflater(const ZlibDeflater&) noexcept;
    ZlibDeflater& operator=(const ZlibDeflater&) noexcept;

    std::string Compress(std::string_view bytes);

private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
};

// Inflates zlib-format input and returns what came out, stopping at whichever comes first:
// max_output bytes out, the end of the stream, or the end of the input (a stream cut short is
// not an error here; the caller sees the short result). The output grows only as inflate fills
// it, so a large max_output does not by itself allocate anything. Raises EDecompressionError
// for damaged data.
std::string ZlibDecompress(std::string_view input, std::uint64_t max_output);

}  // namespace vq
