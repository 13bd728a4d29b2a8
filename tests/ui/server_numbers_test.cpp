#include "ui/server_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "formats/utf8.h"

namespace vq {
namespace {

constexpr double kDefault = 7.0;  // a default no case reads as a number

TEST(ServerStrToFloatTest, ReadsNumbersWithEitherSeparator) {
    struct Case {
        std::u16string text;
        double expected;
    };
    const std::vector<Case> cases = {
        {u"1.5", 1.5},
        {u"1,5", 1.5},
        {u"150", 150},
        {u"  -2,25e1 ", -22.5},  // spaces, sign, separator, exponent
        {u"+3", 3},
        {u"1.", 1},
        {u".5", 0.5},
        {u"1E3", 1000},
        {u"2e-2", 0.02},
        {u"1e+2", 100},
        {u"0,00", 0},
        {u"0e99999999999999999999", 0},
        {u"1e-400", 0},  // below the smallest double: zero
        {u"1e-310", 1e-310},
        {u"1048576", 1048576},
        {u"1.7976931348623157e308", std::numeric_limits<double>::max()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.text));
        EXPECT_EQ(ServerStrToFloat(c.text, kDefault, u','), c.expected);
    }
    EXPECT_TRUE(std::signbit(ServerStrToFloat(u"-0", kDefault, u',')));
}

TEST(ServerStrToFloatTest, AnythingElseGivesTheDefault) {
    const std::vector<std::u16string> cases = {
        u"",
        u" ",
        u"abc",
        u"1 234,5",
        u"1,234.5",
        u"1.2.3",
        u"e5",
        u"1e",
        u"1e+",
        u"--1",
        u"- 1",
        u"+",
        u".",
        u",",
        u"1,5 руб",
        u"\t1",
        u"1\u00A0",
        u"\uFF11",
        u"0x10",
        u"1e999",
        u"-1e999",
        u"1.8e308",
        u"1e99999999999999999999",
        u"inf",
        u"nan",
    };
    for (const std::u16string& text : cases) {
        SCOPED_TRACE(Utf16ToUtf8(text));
        EXPECT_EQ(ServerStrToFloat(text, kDefault, u','), kDefault);
    }
}

TEST(ServerStrToFloatTest, PointLocaleReadsBothSeparators) {
    EXPECT_EQ(ServerStrToFloat(u"1,5", 0, u'.'), 1.5);
    EXPECT_EQ(ServerStrToFloat(u"1.25", 0, u'.'), 1.25);
    EXPECT_EQ(ServerStrToFloat(u"1,234.5", 0, u'.'), 0);
}

TEST(FormatFixedTest, TwoDecimalsRoundedHalfAwayFromZero) {
    struct Case {
        double value;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {1234.5, u"1234,50"},
        {-3, u"-3,00"},
        {0.125, u"0,13"},
        {-0.125, u"-0,13"},
        {-0.001, u"0,00"},  // rounds to zero: no sign
        {0.0, u"0,00"},
        {-0.0, u"0,00"},
        {0.005, u"0,01"},
        {-0.005, u"-0,01"},
        {0.004999, u"0,00"},
        {1e-300, u"0,00"},
        {1.005, u"1,00"},  // the double lies below 1.005
        {2.675, u"2,67"},
        {999.995, u"1000,00"},  // the carry adds a digit
        {1234567.891, u"1234567,89"},
        {999999999999999872.0, u"999999999999999872,00"},  // 18 integer digits: still fixed
        {1e18, u"1E18"},                                   // 19 integer digits: general notation
        {-1.5e20, u"-1,5E20"},
        {1e300, u"1,00000000000000005E300"},  // 18 significant digits of the double
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatFixed(c.value, u','), c.expected);
    }
}

TEST(FormatFixedTest, UsesTheGivenSeparator) {
    EXPECT_EQ(FormatFixed(1234.5, u'.'), u"1234.50");
    EXPECT_EQ(FormatFixed(-2.5e19, u'.'), u"-2.5E19");
}

TEST(FormatFixedTest, NonFiniteValuesHaveNames) {
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), u','), u"INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), u','), u"-INF");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), u','), u"NAN");
}

TEST(BalancePercentTest, RoundsInExtendedPrecisionWithHalvesToEven) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    struct Case {
        double balance;
        double full;
        std::int64_t expected;
    };
    const std::vector<Case> cases = {
        {150, 300.000001, 50},
        {450, 300.000001, 150},
        {1, 0.000001, 100000000},
        {0, 300.000001, 0},
        {-30, 300.000001, -10},
        {1, 8, 12},    // 12.5 exactly: to even
        {3, 8, 38},    // 37.5
        {-1, 8, -12},  // -12.5
        {-3, 8, -38},  // -37.5
        // In double precision these products are exactly 1.5 and 2.5; in extended precision
        // they lie just below and just above.
        {0.015, 1, 1},
        {0.025, 1, 3},
        {1e300, 1, kMax},  // beyond the int64 range: clamped
        {-1e300, 1, kMin},
        {1, 0, kMax},
        {-1, 0, kMin},
        {kInf, 1, kMax},
        {0, 0, 0},  // NaN
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.balance << " / " << c.full);
        EXPECT_EQ(BalancePercent(c.balance, c.full), c.expected);
    }
}

}  // namespace
}  // namespace vq
