#include "widgets/png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "formats/errors.h"

namespace vq {
namespace {

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t value) {
    out.push_back(static_cast<unsigned char>(value >> 24));
    out.push_back(static_cast<unsigned char>(value >> 16));
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

// A chunk is length, type, data, then the CRC over type and data.
void PutChunk(std::vector<unsigned char>& out, const char (&type)[5],
              const std::vector<unsigned char>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + typeStart,
                            static_cast<uInt>(out.size() - typeStart));
    PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

void WritePng(const PixelSurface& surface, const std::filesystem::path& file) {
    const int width = surface.Width();
    const int height = surface.Height();

    // Raw scan lines: a filter byte (0, none) then R, G, B, A per pixel.
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + static_cast<std::size_t>(width) * 4));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (const Bgra& p : surface.Row(y)) {
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw Exception("PNG compression failed");
    }
    packed.resize(packedSize);

    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filter 0, no interlace

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out) {
        throw Exception("Cannot write " + file.string());
    }
}

PixelSurface Scaled(const PixelSurface& surface, int factor) {
    if (factor < 1) {
        factor = 1;
    }
    PixelSurface result(surface.Width() * factor, surface.Height() * factor);
    for (int y = 0; y < result.Height(); ++y) {
        for (int x = 0; x < result.Width(); ++x) {
            result.At(x, y) = surface.At(x / factor, y / factor);
        }
    }
    return result;
}

}  // namespace vq
