// TZipFile::LoadFromStream, then GetUncompressed of every entry.
#include <cstddef>
#include <cstdint>
#include <string>
#include "formats/byte_stream.h"
#include "formats/errors.h"
#include "formats/local_clock.h"
#include "formats/zip_file.h"
#include "formats/zlib_codec.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vq::FixedLocalClock clock(vq::LocalDateTime{2024, 5, 17, 12, 30, 0, 0});
    vq::TZipFile zip(clock);
    vq::MemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        zip.LoadFromStream(stream);
    } catch (const vq::EReadError&) {
        // Cut short: the archive stays as it was (empty).
        VQ_FUZZ_CHECK(zip.GetCount() == 0);
        return 0;
    } catch (const vq::Exception&) {
        return 0;
    }
    VQ_FUZZ_CHECK(zip.GetCentralDirectory().size() == zip.GetFiles().size());
    for (int i = 0; i < zip.GetCount(); ++i) {
        const auto& local = zip.GetFiles()[static_cast<std::size_t>(i)];
        // Every stored record holds no more bytes than the input.
        VQ_FUZZ_CHECK(local.CompressedData.size() <= size);
        try {
            const std::string plain = zip.GetUncompressed(i);
            // Exactly the recorded size, or the empty result that short output gives (accepted
            // only when the recorded CRC is that of nothing).
            VQ_FUZZ_CHECK(plain.size() == local.CommonFileHeader.UncompressedSize ||
                          (plain.empty() && local.CommonFileHeader.Crc32 == 0));
        } catch (const vq::EDecompressionError&) {
        } catch (const vq::EZipFileCRCError&) {
        }
    }
    return 0;
}
