#include "auth/cookie_date.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vq {
namespace {

namespace chr = std::chrono;

chr::sys_seconds Utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return chr::sys_days{chr::year{y} / chr::month{mo} / chr::day{d}} + chr::hours{h} +
           chr::minutes{mi} + chr::seconds{s};
}

TEST(CookieDate, ReadsTheFormatsServersSend) {
    struct Case {
        const char* text;
        chr::sys_seconds expected;
    };
    const auto nov6 = Utc(1994, 11, 6, 8, 49, 37);
    const Case cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", nov6},   // RFC 1123
        {"Sunday, 06-Nov-94 08:49:37 GMT", nov6},  // RFC 850, two-digit year 70..99
        {"Sun Nov  6 08:49:37 1994", nov6},        // asctime
        {"Sun, 6 nov 1994 8:49:37 UTC", nov6},     // single digits, lower-case month
        {"1994-NOVEMBER-06 08:49:37Z", nov6},      // tokens in another order, long month
        {"Thu, 01 Jan 1970 00:00:01 GMT", Utc(1970, 1, 1, 0, 0, 1)},
        {"Tue, 15-May-25 14:30:22 GMT", Utc(2025, 5, 15, 14, 30, 22)},  // 0..69 is 20xx
        {"1 Jan 69 00:00:00", Utc(2069, 1, 1, 0, 0, 0)},
        {"1 Jan 70 00:00:00", Utc(1970, 1, 1, 0, 0, 0)},
        {"29 Feb 2024 23:59:59", Utc(2024, 2, 29, 23, 59, 59)},
        {"1 Jan 1601 00:00:00", Utc(1601, 1, 1, 0, 0, 0)},
        {"31 Dec 9999 23:59:59", Utc(9999, 12, 31, 23, 59, 59)},
        {"Wed, 09 Jun 2021 10:18:14 GMT; trailing junk", Utc(2021, 6, 9, 10, 18, 14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseCookieDate(c.text), std::optional(c.expected));
    }
}

TEST(CookieDate, RefusesWhatNamesNoDate) {
    const char* const cases[] = {
        "",
        "garbage",
        "0",
        "Sun, 06 Nov 1994",      // no time
        "08:49:37 06 1994",      // no month
        "Nov 08:49:37 1994",     // no day: four digits are no day of month
        "06 Nov 08:49:37",       // no year
        "31 Apr 2020 00:00:00",  // a day April does not have
        "29 Feb 2021 00:00:00",  // not a leap year
        "0 Jan 2000 00:00:00",
        "32 Jan 2000 00:00:00",
        "1 Jan 1600 23:59:59",   // before 1601
        "1 Jan 12345 00:00:00",  // five digits are no year
        "1 Jan 2000 24:00:00",
        "1 Jan 2000 00:60:00",
        "1 Jan 2000 00:00:60",
        "1 Jan 2000 100:00:00",  // three digits are no time field
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseCookieDate(text), std::nullopt);
    }
}

}  // namespace
}  // namespace vq
