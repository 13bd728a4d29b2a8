#pragma once
// CRC-32 as ZIP, gzip and IEEE 802.3 use it: the reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF and a final complement. A ZIP entry's header carries the CRC of its uncompressed
// data, which lets the reader tell good inflated bytes from damaged ones.

#include <cstdint>
#include <string_view>

namespace vq {

// The CRC-32 of bytes; the CRC of no bytes is 0.
std::uint32_t Crc32(std::string_view bytes);

}  // namespace vq
