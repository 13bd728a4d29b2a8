#include "formats/dos_date_time.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/errors.h"
#include "tests/support/throws_with_message.h"

namespace vq {
namespace {

TEST(DosDateTime, EncodesTimeInTheLowWordAndDateInTheHighWord) {
    struct Case {
        const char* name;
        LocalDateTime moment;
        std::uint32_t dos;
        LocalDateTime read_back;
    };
    const std::vector<Case> cases = {
        // date 1 + 1*32 = 0x0021, time 0
        {"first moment", {1980, 1, 1, 0, 0, 0, 0}, 0x00210000u, {1980, 1, 1, 0, 0, 0, 0}},
        // date 31 + 12*32 + 127*512 = 0xFF9F, time 29 + 59*32 + 23*2048 = 0xBF7D
        {"last moment",
         {2107, 12, 31, 23, 59, 59, 999},
         0xFF9FBF7Du,
         {2107, 12, 31, 23, 59, 58, 0}},
        // date 29 + 2*32 + 44*512 = 0x585D, time 6 + 4*32 + 9*2048 = 0x4886
        {"leap day, odd second",
         {2024, 2, 29, 9, 4, 13, 0},
         0x585D4886u,
         {2024, 2, 29, 9, 4, 12, 0}},
        {"leap second kept in its minute",
         {2016, 12, 31, 23, 59, 60, 0},
         0x499FBF7Du,
         {2016, 12, 31, 23, 59, 58, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DateTimeToDosDateTime(c.moment), c.dos);
        EXPECT_EQ(DosDateTimeToDateTime(c.dos), c.read_back);
    }
}

TEST(DosDateTime, MomentsTheFormatCannotHoldAreStoredAsZero) {
    const std::vector<LocalDateTime> cases = {
        {1979, 12, 31, 23, 59, 59, 0}, {2108, 1, 1, 0, 0, 0, 0},  {2023, 2, 29, 12, 0, 0, 0},
        {2024, 13, 1, 12, 0, 0, 0},    {2024, 1, 1, 24, 0, 0, 0},
    };
    for (const auto& moment : cases) {
        SCOPED_TRACE(std::to_string(moment.year) + "-" + std::to_string(moment.month) + "-" +
                     std::to_string(moment.day) + " " + std::to_string(moment.hour));
        EXPECT_EQ(DateTimeToDosDateTime(moment), 0u);
    }
}

TEST(DosDateTime, InvalidStoredValuesRaiseTheConversionError) {
    struct Case {
        const char* name;
        std::uint32_t dos;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"zero: day 0, month 0", 0u, "Invalid argument to date encode"},
        {"February 30", (44u << 9 | 2u << 5 | 30u) << 16, "Invalid argument to date encode"},
        {"month 13", (44u << 9 | 13u << 5 | 1u) << 16, "Invalid argument to date encode"},
        {"hour 24", 0x00210000u | 24u << 11, "Invalid argument to time encode"},
        {"62 seconds", 0x00210000u | 31u, "Invalid argument to time encode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT([&] { return DosDateTimeToDateTime(c.dos); },
                    test::ThrowsWithMessage<EConvertError>(c.message));
    }
}

}  // namespace
}  // namespace vq
