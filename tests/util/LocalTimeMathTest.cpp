#include <gtest/gtest.h>

#include "TestClock.h"
#include "util/LocalTimeMath.h"

namespace qv {
namespace {

TEST(LocalTimeMath, CalendarTimesCountAsSecondsAndBack) {
  struct TCase {
    TLocalTime Time;  // with its day of the week (0 = Sunday)
    std::int64_t Seconds;
  };
  using test::MakeTime;
  for (const TCase& c : {
           TCase{MakeTime(1970, 1, 1, 0, 0, 0, 4), 0},
           TCase{MakeTime(1969, 12, 31, 0, 0, 0, 3), -86400},
           TCase{MakeTime(2000, 2, 29, 0, 0, 0, 2), 951782400},  // a leap day of a century
           TCase{MakeTime(2100, 3, 1, 0, 0, 0, 1), 4107542400},  // 2100 has no 29 February
           TCase{MakeTime(2026, 12, 8, 18, 0, 7, 2), 1796688000 + 18 * 3600 + 7},
           TCase{MakeTime(2026, 12, 31, 23, 59, 59, 4), 1798761600 - 1},
           TCase{MakeTime(2027, 1, 1, 0, 0, 0, 5), 1798761600},
       }) {
    const TLocalTime& t = c.Time;
    EXPECT_EQ(LocalSeconds(t), c.Seconds) << t.Year << "-" << t.Month << "-" << t.Day;
    TLocalTime back = FromLocalSeconds(c.Seconds);
    EXPECT_EQ((std::vector<int>{back.Year, back.Month, back.Day, back.Hour, back.Minute,
                                back.Second, back.DayOfWeek}),
              (std::vector<int>{t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second, t.DayOfWeek}));
  }
}

TEST(LocalTimeMath, StepsAcrossFourHundredYearsKeepDaysAndWeekdaysInStep) {
  // One step a day over a whole cycle of the calendar, each checked against
  // the second before it.
  const std::int64_t start = -86400LL * 365 * 30;
  for (std::int64_t s = start; s < start + 86400LL * 146097; s += 86400 - 1) {
    TLocalTime t = FromLocalSeconds(s);
    ASSERT_EQ(LocalSeconds(t), s);
    TLocalTime next = FromLocalSeconds(s + 1);
    ASSERT_EQ((next.DayOfWeek - t.DayOfWeek + 7) % 7, next.Day == t.Day ? 0 : 1) << s;
  }
}

}  // namespace
}  // namespace qv
