#include <gtest/gtest.h>

#include "TestClock.h"
#include "app/RunHours.h"
#include "app/Settings.h"
#include "sched/CronExpression.h"

namespace qv {
namespace {

std::vector<int> Checked(const THourSet& hours) {
  std::vector<int> out;
  for (int h = 0; h < 24; ++h)
    if (hours[h]) out.push_back(h);
  return out;
}

TEST(RunHoursTest, StoredTextsCheckOnlyNumbersOfTheDay) {
  struct TCase {
    const char* Stored;
    std::vector<int> Hours;
  };
  const TCase cases[] = {
      {"8,25,x,3", {3, 8}},
      {"8,9,14", {8, 9, 14}},
      {"14 9,,8", {8, 9, 14}},           // blanks separate, empty entries vanish
      {"\"8, 9\",10", {10}},             // quotes group: "8, 9" is no number
      {"\"7\",-1,24,0,23", {0, 7, 23}},  // a quoted number counts
      {"9;10,08,+11", {8, 11}},          // ";" separates nothing; leading zeros and signs
      {"99999999999999999999,5", {5}},   // no overflow into a small hour
      {"", {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
  };
  for (const TCase& c : cases) EXPECT_EQ(Checked(ParseHoursText(c.Stored)), c.Hours) << c.Stored;
}

TEST(RunHoursTest, TheExpressionAndTheTextUsePlainNumbersAscending) {
  THourSet hours = ParseHoursText("8,25,x,3");
  EXPECT_EQ(HoursText(hours), "3,8");
  EXPECT_EQ(HoursExpression(hours), "0 0 3,8 * * *");
  EXPECT_EQ(HoursText(ParseHoursText("")), kDefaultHours);
}

TEST(RunHoursTest, WithNoHourTheExpressionHasTwoBlanksAndNeverFires) {
  THourSet none{};
  EXPECT_EQ(HoursText(none), "");
  ASSERT_EQ(HoursExpression(none), "0 0  * * *");
  TCronExpression cron;
  cron.Parse(HoursExpression(none));
  for (int hour = 0; hour < 24; ++hour)
    for (int minute : {0, 30})
      EXPECT_FALSE(cron.Matches(test::MakeTime(2026, 12, 8, hour, minute, 0))) << hour;
  // With hours it fires at second 0 of minute 0 of each of them only.
  cron.Parse(HoursExpression(ParseHoursText("3,8")));
  EXPECT_TRUE(cron.Matches(test::MakeTime(2026, 12, 8, 3, 0, 0)));
  EXPECT_TRUE(cron.Matches(test::MakeTime(2026, 12, 8, 8, 0, 0)));
  EXPECT_FALSE(cron.Matches(test::MakeTime(2026, 12, 8, 8, 0, 1)));
  EXPECT_FALSE(cron.Matches(test::MakeTime(2026, 12, 8, 9, 0, 0)));
}

TEST(RunHoursTest, CaptionsAndTheHintShowTwoDigitHours) {
  EXPECT_EQ(HourCaption(0), "00 Uhr");
  EXPECT_EQ(HourCaption(8), "08 Uhr");
  EXPECT_EQ(HourCaption(23), "23 Uhr");
  EXPECT_EQ(ScheduleHint(ParseHoursText("14,9,8")),
            "Sicherungen erfolgen: \r\n08 Uhr - 09 Uhr - 14 Uhr");
  EXPECT_EQ(ScheduleHint(THourSet{}), "Sicherungen erfolgen: \r\n");
}

}  // namespace
}  // namespace qv
