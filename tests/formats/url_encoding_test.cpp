#include "formats/url_encoding.h"

#include <gtest/gtest.h>

#include "formats/errors.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

using namespace std::string_literals;

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(URLEncode, KeepsLettersDigitsUnderscoreAndEscapesTheRest) {
    const Case cases[] = {
        {"letters, digits, underscore", "azAZ09_", "azAZ09_"},
        {"space is plus", "a b", "a+b"},
        {"punctuation is escaped", "-.~*+%=", "%2D%2E%7E%2A%2B%25%3D"},
        {"line breaks", "\r\n", "%0D%0A"},
        {"NUL byte", "a\0b"s, "a%00b"},
        {"high bytes, upper-case hex", "\xD0\x9E\xFF", "%D0%9E%FF"},
        {"backslash", "TEST\\ivanov", "TEST%5Civanov"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(URLEncode(c.input), c.expected);
    }
}

TEST(URLDecode, ReadsEscapesPlusAndRawBytes) {
    const Case cases[] = {
        {"empty", "", ""},
        {"plus is space", "a+b", "a b"},
        {"escaped plus", "%2B", "+"},
        {"lower-case hex", "%2b%d0%9e", "+\xD0\x9E"},
        {"raw space and equals are kept", " a=b ", " a=b "},
        {"trailing percent is dropped", "abc%", "abc"},
        {"lone percent", "%", ""},
        {"percent and one character at the end", "ab%4", "ab\x04"},
        {"percent, one hex digit, end after an escape", "%41%4", "A\x04"},
        {"decoding ends at a NUL", "a\0b%zz"s, "a"},
        {"escaped NUL", "a%00b", "a\0b"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(URLDecode(c.input), c.expected);
    }
}

TEST(URLDecode, NonHexEscapeRaisesConversionError) {
    const Case cases[] = {
        {"both characters bad", "x%zzy", "''$zz'' is not a valid integer value"},
        {"second character bad", "%4g", "''$4g'' is not a valid integer value"},
        {"one bad character at the end", "ab%z", "''$z'' is not a valid integer value"},
        {"sign is not a digit", "%-1", "''$-1'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT([&] { return URLDecode(c.input); },
                    test::ThrowsWithMessage<EConvertError>(c.expected));
    }
}

TEST(URLEncoding, EveryByteRoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(URLDecode(URLEncode(all)), all);
}

}  // namespace
}  // namespace vq
