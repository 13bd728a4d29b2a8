#include "widgets/png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vq {
namespace {

std::uint32_t BigEndian(const std::vector<unsigned char>& bytes, std::size_t at) {
    return (std::uint32_t{bytes.at(at)} << 24) | (std::uint32_t{bytes.at(at + 1)} << 16) |
           (std::uint32_t{bytes.at(at + 2)} << 8) | std::uint32_t{bytes.at(at + 3)};
}

TEST(PngWriter, WritesCheckedChunksWithRgbaRows) {
    PixelSurface surface(2, 2);
    surface.At(0, 0) = Bgra{1, 2, 3, 4};  // blue 1, green 2, red 3, alpha 4
    surface.At(1, 1) = Bgra{10, 20, 30, 255};
    const auto file = std::filesystem::temp_directory_path() / "vq_png_writer_test.png";
    WritePng(surface, file);

    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> png{std::istreambuf_iterator<char>(in), {}};
    in.close();
    std::filesystem::remove(file);

    const std::vector<unsigned char> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(std::vector<unsigned char>(png.begin(), png.begin() + 8), signature);

    std::vector<std::string> types;
    std::vector<unsigned char> header;
    std::vector<unsigned char> packed;
    for (std::size_t at = 8; at < png.size();) {
        const std::uint32_t length = BigEndian(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        SCOPED_TRACE(type);
        types.push_back(type);
        const unsigned char* body = png.data() + at + 4;
        EXPECT_EQ(crc32(crc32(0L, Z_NULL, 0), body, 4 + length), BigEndian(png, at + 8 + length));
        std::vector<unsigned char> data(body + 4, body + 4 + length);
        (type == "IHDR" ? header : packed)
            .insert((type == "IHDR" ? header : packed).end(), data.begin(), data.end());
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(header, (std::vector<unsigned char>{0, 0, 0, 2, 0, 0, 0, 2, 8, 6, 0, 0, 0}));

    std::vector<unsigned char> raw(2 * (1 + 2 * 4));
    uLongf rawSize = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())),
              Z_OK);
    EXPECT_EQ(rawSize, raw.size());
    EXPECT_EQ(raw, (std::vector<unsigned char>{0, 3, 2, 1, 4, 0, 0, 0, 0,  //
                                               0, 0, 0, 0, 0, 30, 20, 10, 255}));
}

TEST(PngWriter, ScaledRepeatsEachPixel) {
    PixelSurface surface(2, 1);
    surface.At(1, 0) = Bgra{1, 2, 3, 4};
    const PixelSurface big = Scaled(surface, 3);
    ASSERT_EQ(big.Width(), 6);
    ASSERT_EQ(big.Height(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(big.At(x, y), x < 3 ? Bgra{} : (Bgra{1, 2, 3, 4}));
        }
    }
}

}  // namespace
}  // namespace vq
