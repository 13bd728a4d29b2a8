#pragma once
// The MS-DOS date and time that ZIP headers carry: one 32-bit value with the time in the low
// 16 bits and the date in the high 16 bits, to two-second precision, years 1980 to 2107.

#include <cstdint>

#include "formats/local_clock.h"

namespace vq {

// time = seconds / 2 + minutes * 32 + hours * 2048; date = day + month * 32 + (year - 1980) * 512.
// A moment that the format cannot hold (a year outside 1980..2107, or fields that are not a
// calendar date and time) is stored as 0.
std::uint32_t DateTimeToDosDateTime(const LocalDateTime& moment);

// The reverse. Raises EConvertError "Invalid argument to date encode" when the date part is not
// a calendar date (0 has day 0 and month 0) and "Invalid argument to time encode" when the time
// part is not a time of day.
LocalDateTime DosDateTimeToDateTime(std::uint32_t dos_date_time);

}  // namespace vq
