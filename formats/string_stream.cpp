#include "formats/string_stream.h"

#include <cstdint>
#include <limits>

#include "formats/errors.h"

namespace vq {

namespace {

constexpr unsigned char kMark[2] = {0xFF, 0xFE};

}  // namespace

std::size_t WriteStringToStream(ByteStream& stream, std::u16string_view text) {
    // The length field is a signed 32-bit number in the readers of this form.
    if (text.size() > (std::numeric_limits<std::int32_t>::max() - 2) / 2) throw EWriteError();
    const auto length = static_cast<std::uint32_t>(2 + 2 * text.size());

    const unsigned char header[4] = {
        static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
        static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)};
    std::string body(reinterpret_cast<const char*>(kMark), 2);
    body.reserve(length);
    for (const char16_t c : text) {
        body.push_back(static_cast<char>(c & 0xFF));
        body.push_back(static_cast<char>(c >> 8));
    }
    stream.WriteBuffer(header, sizeof header);
    stream.WriteBuffer(body.data(), body.size());
    return sizeof header + body.size();
}

std::size_t ReadStringFromStream(ByteStream& stream, std::u16string& text,
                                 const AnsiCodePage& code_page) {
    unsigned char header[4];
    stream.ReadBuffer(header, sizeof header);
    const std::uint32_t length = header[0] | (header[1] << 8) | (header[2] << 16) |
                                 (static_cast<std::uint32_t>(header[3]) << 24);
    // A forged length must not make us allocate more than the stream can still deliver.
    if (length > stream.Remaining()) throw EReadError();
    std::string bytes(length, '\0');
    stream.ReadBuffer(bytes.data(), bytes.size());

    if (length >= 2 && static_cast<unsigned char>(bytes[0]) == kMark[0] &&
        static_cast<unsigned char>(bytes[1]) == kMark[1]) {
        // UTF-16LE after the mark; an odd last byte is ignored.
        const std::size_t units = (length - 2) / 2;
        text.assign(units, u'\0');
        for (std::size_t i = 0; i < units; ++i) {
            const auto low = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto high = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text[i] = static_cast<char16_t>(low | (high << 8));
        }
    } else {
        text = code_page.Decode(bytes);
    }
    return sizeof header + length;
}

}  // namespace vq
