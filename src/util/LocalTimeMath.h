#pragma once
// Local calendar times as a count of seconds, for comparing them and for
// stepping from one second to the next across days, months and years
// (portable; the proleptic Gregorian calendar, no time zones).
#include <cstdint>

#include "util/Seams.h"

namespace qv {

inline constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;

// Seconds since 1 Jan 1970 00:00:00 of the same calendar; milliseconds are
// left out.
std::int64_t LocalSeconds(const TLocalTime& time);
// The calendar time of such a count, with its day of the week (0 = Sunday).
TLocalTime FromLocalSeconds(std::int64_t seconds);

}  // namespace qv
