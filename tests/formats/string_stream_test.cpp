#include "formats/string_stream.h"

#include <gtest/gtest.h>

#include "formats/errors.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using namespace std::string_literals;

TEST(WriteStringToStream, WritesLengthMarkAndUtf16le) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty text is the mark alone", u"", "\x02\0\0\0\xFF\xFE"s},
        {"ASCII", u"ab",
         "\x06\0\0\0\xFF\xFE"
         "a\0b\0"s},
        {"Cyrillic", u"От", "\x06\0\0\0\xFF\xFE\x1E\x04\x42\x04"s},
        {"surrogate pair", u"\U0001F600", "\x06\0\0\0\xFF\xFE\x3D\xD8\x00\xDE"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream;
        EXPECT_EQ(WriteStringToStream(stream, c.text), c.bytes.size());
        EXPECT_EQ(stream.Bytes(), c.bytes);

        stream.SetPosition(0);
        std::u16string read;
        EXPECT_EQ(ReadStringFromStream(stream, read), c.bytes.size());
        EXPECT_EQ(read, c.text);
    }
}

TEST(ReadStringFromStream, MarkSelectsUtf16OtherwiseAnsi) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"B = 3 with the mark: odd byte ignored", "\x03\0\0\0\xFF\xFEz"s, u""},
        {"odd byte after a code unit",
         "\x05\0\0\0\xFF\xFE"
         "a\0z"s,
         u"a"},
        {"B = 0", "\0\0\0\0"s, u""},
        {"no mark: Windows-1251", "\x05\0\0\0\xCE\xF2\xE4\xE5\xEB"s, u"Отдел"},
        {"single byte FF is ANSI", "\x01\0\0\0\xFF"s, u"я"},
        {"mark reversed is ANSI", "\x02\0\0\0\xFE\xFF"s, u"юя"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream(c.bytes + "tail");
        std::u16string read = u"old";
        EXPECT_EQ(ReadStringFromStream(stream, read, Windows1251CodePage()), c.bytes.size());
        EXPECT_EQ(read, c.text);
        EXPECT_EQ(stream.Position(), c.bytes.size());
    }
}

// A memory stream that fails the test when asked for more bytes than it still holds: the reader
// allocates what it asks for, so a forged length must never reach Read. (The 4-byte length field
// itself is read whole and may meet the end.)
class BoundedStream final : public ByteStream {
public:
    explicit BoundedStream(std::string bytes) : inner_(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (count > 4) {
            EXPECT_LE(count, inner_.Remaining()) << "read request beyond the stream";
        }
        return inner_.Read(buffer, count);
    }
    std::size_t Write(const void* buffer, std::size_t count) override {
        return inner_.Write(buffer, count);
    }
    std::uint64_t Position() const override { return inner_.Position(); }
    void SetPosition(std::uint64_t position) override { inner_.SetPosition(position); }
    std::uint64_t Size() const override { return inner_.Size(); }

private:
    MemoryStream inner_;
};

TEST(ReadStringFromStream, TruncatedOrForgedRecordRaisesReadError) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty stream", ""},
        {"length cut short", "\x02\0"s},
        {"text cut short by one byte",
         "\x04\0\0\0\xFF\xFE"
         "a"s},
        {"text cut short",
         "\x06\0\0\0\xFF\xFE"
         "a\0b"s},
        {"length of 4 GiB",
         "\xFF\xFF\xFF\xFF\xFF\xFE"
         "a\0"s},
        {"length of 2 GiB",
         "\x00\x00\x00\x80\xFF\xFE"
         "a\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoundedStream stream(c.bytes);
        std::u16string read;
        EXPECT_THAT([&] { return ReadStringFromStream(stream, read); },
                    test::ThrowsWithMessage<EReadError>("Stream read error"));
    }
}

}  // namespace
}  // namespace vq
