// The stream forms: ReadStringFromStream record by record, and TValueList::ReadFromStream.
#include <cstddef>
#include <cstdint>
#include <string>
#include "formats/ansi_code_page.h"
#include "formats/byte_stream.h"
#include "formats/errors.h"
#include "formats/memory_registry.h"
#include "formats/string_stream.h"
#include "formats/value_list.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void ReadRecords(const std::string& bytes) {
    vq::MemoryStream stream(bytes);
    for (;;) {
        const std::uint64_t before = stream.Position();
        std::u16string text;
        std::size_t read = 0;
        try {
            read = vq::ReadStringFromStream(stream, text, vq::Latin1CodePage());
        } catch (const vq::EReadError&) {
            return;
        }
        VQ_FUZZ_CHECK(read >= 4 && stream.Position() == before + read);
        VQ_FUZZ_CHECK(stream.Position() <= bytes.size());
        // A text is never longer than its record's bytes.
        VQ_FUZZ_CHECK(text.size() <= read - 4);
        // What is written reads back the same.
        vq::MemoryStream copy;
        const std::size_t written = vq::WriteStringToStream(copy, text);
        copy.SetPosition(0);
        std::u16string back;
        VQ_FUZZ_CHECK(vq::ReadStringFromStream(copy, back, vq::Latin1CodePage()) == written);
        VQ_FUZZ_CHECK(back == text);
        if (read == 4 && stream.Remaining() == 0) return;
    }
}

void ReadList(const std::string& bytes) {
    vq::MemoryRegistry registry;
    vq::TValueList list(vq::Latin1CodePage(), registry);
    vq::MemoryStream stream(bytes);
    std::size_t read = 0;
    try {
        read = list.ReadFromStream(stream);
    } catch (const vq::EReadError&) {
        return;
    }
    VQ_FUZZ_CHECK(read == stream.Position() && read <= bytes.size());
    vq::MemoryStream copy;
    const std::size_t written = list.WriteToStream(copy);
    copy.SetPosition(0);
    vq::TValueList again(vq::Latin1CodePage(), registry);
    VQ_FUZZ_CHECK(again.ReadFromStream(copy) == written);
    VQ_FUZZ_CHECK(again.GetCount() == list.GetCount());
    for (int i = 0; i < list.GetCount(); ++i) {
        VQ_FUZZ_CHECK(again.GetName(i) == list.GetName(i));
        VQ_FUZZ_CHECK(again.GetValue(i) == list.GetValue(i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadRecords(bytes);
    ReadList(bytes);
    return 0;
}
