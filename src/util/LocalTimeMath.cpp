#include "util/LocalTimeMath.h"

namespace qv {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// Days since 1 Jan 1970 of a date, and back (the civil-calendar algorithms
// that count in eras of 400 years).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, TLocalTime& t) {
  days += 719468;
  const std::int64_t era = FloorDiv(days, 146097);
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  t.Day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  t.Month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  t.Year = static_cast<int>(yearOfEra + era * 400 + (t.Month <= 2));
}

}  // namespace

std::int64_t LocalSeconds(const TLocalTime& t) {
  return DaysFromCivil(t.Year, t.Month, t.Day) * kSecondsPerDay + t.Hour * 3600 + t.Minute * 60 +
         t.Second;
}

TLocalTime FromLocalSeconds(std::int64_t seconds) {
  TLocalTime t;
  const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const std::int64_t rest = seconds - days * kSecondsPerDay;
  CivilFromDays(days, t);
  t.Hour = static_cast<int>(rest / 3600);
  t.Minute = static_cast<int>(rest / 60 % 60);
  t.Second = static_cast<int>(rest % 60);
  // 1 Jan 1970 was a Thursday.
  t.DayOfWeek = static_cast<int>((days % 7 + 7 + 4) % 7);
  return t;
}

}  // namespace qv
