#include "formats/dos_date_time.h"

#include "formats/errors.h"

namespace vq {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

}  // namespace

std::uint32_t DateTimeToDosDateTime(const LocalDateTime& moment) {
    if (moment.year < 1980 || moment.year > 2107) return 0;
    if (!IsValidDate(moment.year, moment.month, moment.day)) return 0;
    // A leap second is kept as 58, the last even second of the minute, so it reads back.
    const int second = moment.second == 60 ? 59 : moment.second;
    if (!IsValidTime(moment.hour, moment.minute, second)) return 0;
    const auto time =
        static_cast<std::uint32_t>(second / 2 + moment.minute * 32 + moment.hour * 2048);
    const auto date =
        static_cast<std::uint32_t>(moment.day + moment.month * 32 + (moment.year - 1980) * 512);
    return date << 16 | time;
}

LocalDateTime DosDateTimeToDateTime(std::uint32_t dos_date_time) {
    const std::uint32_t time = dos_date_time & 0xFFFFu;
    const std::uint32_t date = dos_date_time >> 16;
    LocalDateTime moment;
    moment.year = static_cast<int>(date >> 9) + 1980;
    moment.month = static_cast<int>(date >> 5 & 0x0Fu);
    moment.day = static_cast<int>(date & 0x1Fu);
    moment.hour = static_cast<int>(time >> 11);
    moment.minute = static_cast<int>(time >> 5 & 0x3Fu);
    moment.second = static_cast<int>(time & 0x1Fu) * 2;
    if (!IsValidDate(moment.year, moment.month, moment.day))
        throw EConvertError("Invalid argument to date encode");
    if (!IsValidTime(moment.hour, moment.minute, moment.second))
        throw EConvertError("Invalid argument to time encode");
    return moment;
}

}  // namespace vq
