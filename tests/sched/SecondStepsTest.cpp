#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestClock.h"
#include "sched/SecondSteps.h"

namespace qv {
namespace {

std::string Text(const TLocalTime& t) {
  char text[32];
  static const char* const kDays[] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  std::snprintf(text, sizeof text, "%s %02d.%02d. %02d:%02d:%02d", kDays[t.DayOfWeek], t.Day,
                t.Month, t.Hour, t.Minute, t.Second);
  return text;
}

TEST(SecondSteps, EverySecondIsEvaluatedOnceInOrderAndJumpsAreNotReplayed) {
  struct TWake {
    TLocalTime Now;
    std::vector<std::string> Evaluated;
  };
  using test::MakeTime;
  TSecondSteps steps;
  const TWake wakes[] = {
      {MakeTime(2026, 12, 8, 17, 59, 58), {"Di 08.12. 17:59:58"}},  // the first wake
      {MakeTime(2026, 12, 8, 17, 59, 58), {}},                      // the same second again
      {MakeTime(2026, 12, 8, 17, 59, 59), {"Di 08.12. 17:59:59"}},
      // Woken late: the seconds slept through come first, 18:00:00 among them.
      {MakeTime(2026, 12, 8, 18, 0, 2),
       {"Di 08.12. 18:00:00", "Di 08.12. 18:00:01", "Di 08.12. 18:00:02"}},
      // Asleep for an hour: only the present second, no hour fired late.
      {MakeTime(2026, 12, 8, 19, 0, 10), {"Di 08.12. 19:00:10"}},
      // The clock set back: the present second once, then on from there.
      {MakeTime(2026, 12, 8, 18, 30, 0), {"Di 08.12. 18:30:00"}},
      {MakeTime(2026, 12, 8, 18, 30, 1), {"Di 08.12. 18:30:01"}},
      // Across midnight and the year, with the days of the week.
      {MakeTime(2026, 12, 31, 23, 59, 58, 4), {"Do 31.12. 23:59:58"}},
      {MakeTime(2027, 1, 1, 0, 0, 1, 5),
       {"Do 31.12. 23:59:59", "Fr 01.01. 00:00:00", "Fr 01.01. 00:00:01"}},
  };
  for (const TWake& wake : wakes) {
    std::vector<std::string> evaluated;
    for (const TLocalTime& t : steps.Next(wake.Now)) evaluated.push_back(Text(t));
    EXPECT_EQ(evaluated, wake.Evaluated) << Text(wake.Now);
  }
}

}  // namespace
}  // namespace qv
