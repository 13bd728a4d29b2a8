#include "formats/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace vq {
namespace {

std::uint32_t ZlibCrc(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

TEST(Crc32, MatchesTheStandardCheckValueAndZlib) {
    EXPECT_EQ(Crc32(""), 0u);
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the published check value of CRC-32

    std::string every_byte;
    for (int i = 0; i < 256 * 3; ++i) every_byte += static_cast<char>(i * 7);
    const std::vector<std::string> cases = {
        "a",
        std::string(1, '\0'),
        std::string("\xFF\x00\x80", 3),
        "username=CORP%5Civanov\r\n",
        every_byte,
    };
    for (const auto& bytes : cases) {
        SCOPED_TRACE("length " + std::to_string(bytes.size()));
        EXPECT_EQ(Crc32(bytes), ZlibCrc(bytes));
    }
}

}  // namespace
}  // namespace vq
