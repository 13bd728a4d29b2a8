// A deflate stream kept and reset between uses writes exactly what a new stream writes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/zlib_codec.h"

namespace vq {
namespace {

TEST(ZlibDeflater, ReusedStreamGivesTheBytesOfAFreshOneEveryTime) {
    std::string large;
    for (int i = 0; i < 200000; ++i) large += static_cast<char>('a' + (i * 7919) % 23);
    const std::vector<std::string> inputs{"username=TEST%5Cdemo\r\ngroups=\r\n", "", large,
                                          "username=TEST%5Civanov\r\n", std::string(70000, 'x')};
    ZlibDeflater deflater;
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input.size());
        const std::string reused = deflater.Compress(input);
        EXPECT_EQ(reused, ZlibCompress(input));
        EXPECT_EQ(ZlibDecompress(reused, input.size() + 1), input);
    }
    // A copy starts with a stream of its own and writes the same.
    ZlibDeflater copy = deflater;
    EXPECT_EQ(copy.Compress(inputs[0]), ZlibCompress(inputs[0]));
}

}  // namespace
}  // namespace vq
