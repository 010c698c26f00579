#include <gtest/gtest.h>

#include "TestClock.h"
#include "app/MissedRun.h"
#include "util/LocalTimeMath.h"

namespace qv {
namespace {

using test::MakeTime;

THourSet Hours(std::initializer_list<int> checked) {
  THourSet hours{};
  for (int h : checked) hours[h] = true;
  return hours;
}

TEST(MissedRunTest, TheLatestCheckedHourSinceTheLastStartIsMissed) {
  struct TCase {
    const char* What;
    std::optional<TLocalTime> Last;
    TLocalTime Now;
    THourSet Checked;
    std::optional<int> Missed;
  };
  const THourSet office = Hours({8, 12, 18});
  const TCase cases[] = {
      {"off over night", MakeTime(2026, 12, 7, 12, 0, 3), MakeTime(2026, 12, 8, 7, 30, 0), office,
       18},
      {"two hours missed, one run", MakeTime(2026, 12, 8, 8, 0, 1), MakeTime(2026, 12, 8, 19, 0, 0),
       office, 18},
      {"nothing missed", MakeTime(2026, 12, 8, 12, 0, 0), MakeTime(2026, 12, 8, 17, 59, 59), office,
       std::nullopt},
      {"the hour's own run", MakeTime(2026, 12, 8, 18, 0, 0), MakeTime(2026, 12, 8, 18, 5, 0),
       office, std::nullopt},
      {"the hour has just begun", MakeTime(2026, 12, 8, 12, 0, 0), MakeTime(2026, 12, 8, 18, 0, 0),
       office, 18},
      {"unknown last start", std::nullopt, MakeTime(2026, 12, 8, 19, 0, 0), office, std::nullopt},
      {"clock set back", MakeTime(2026, 12, 8, 19, 0, 0), MakeTime(2026, 12, 8, 9, 0, 0), office,
       std::nullopt},
      {"no hour checked", MakeTime(2026, 12, 1, 8, 0, 0), MakeTime(2026, 12, 8, 9, 0, 0), Hours({}),
       std::nullopt},
      {"weeks off: only the last day counts", MakeTime(2026, 11, 1, 8, 0, 0),
       MakeTime(2026, 12, 8, 7, 0, 0), Hours({8}), 8},
      {"over the new year", MakeTime(2026, 12, 31, 18, 30, 0), MakeTime(2027, 1, 1, 9, 0, 0),
       office, 8},
      {"yesterday's hour", MakeTime(2026, 12, 31, 7, 0, 0), MakeTime(2027, 1, 1, 7, 0, 0),
       Hours({18}), 18},
      {"over the end of February", MakeTime(2028, 2, 28, 19, 0, 0), MakeTime(2028, 3, 1, 1, 0, 0),
       Hours({0}), 0},
  };
  for (const TCase& c : cases) EXPECT_EQ(MissedHour(c.Last, c.Now, c.Checked), c.Missed) << c.What;
}

class MissedRunPlannerTest : public testing::Test {
 protected:
  // The planner asked at every second from..to; the hours it made up, with the time.
  std::vector<std::string> Ask(const TLocalTime& from, int seconds, bool running = false) {
    std::vector<std::string> made;
    for (int s = 0; s <= seconds; ++s) {
      TLocalTime now = from;
      now.Second += s;
      now.Minute += now.Second / 60;
      now.Second %= 60;
      now.Hour += now.Minute / 60;
      now.Minute %= 60;
      if (auto hour = planner_.Due(last_, now, hours_, running)) {
        made.push_back(std::to_string(*hour) + " at " + StoredRunStart(now));
        last_ = now;  // a made-up run is a run
      }
    }
    return made;
  }

  THourSet hours_ = Hours({8, 18});
  std::optional<TLocalTime> last_ = MakeTime(2026, 12, 7, 8, 0, 0);
  TMissedRunPlanner planner_;
};

TEST_F(MissedRunPlannerTest, AMissedHourIsMadeUpOnceTwoMinutesAfterTheStart) {
  TLocalTime start = MakeTime(2026, 12, 8, 7, 10, 0);
  planner_.Notice(last_, start, hours_, true);
  EXPECT_FALSE(planner_.Reached(MakeTime(2026, 12, 8, 7, 11, 59)));
  EXPECT_TRUE(planner_.Reached(MakeTime(2026, 12, 8, 7, 12, 0)));
  EXPECT_EQ(Ask(start, 600), std::vector<std::string>{"18 at 2026-12-08 07:12:00"});
  planner_.Notice(last_, MakeTime(2026, 12, 8, 7, 30, 0), hours_, true);
  EXPECT_FALSE(planner_.Pending()) << "after the made-up run nothing is missed";
}

TEST_F(MissedRunPlannerTest, ACheckedHourWithinTheDelayCountsInstead) {
  TLocalTime start = MakeTime(2026, 12, 8, 7, 59, 0);
  planner_.Notice(last_, start, hours_, true);
  EXPECT_TRUE(Ask(start, 59).empty());
  last_ = MakeTime(2026, 12, 8, 8, 0, 0);  // the scheduled run of 8 o'clock
  EXPECT_TRUE(Ask(MakeTime(2026, 12, 8, 8, 0, 0), 600).empty());
  EXPECT_FALSE(planner_.Pending());
}

TEST_F(MissedRunPlannerTest, AManualRunAfterTheMissedHourLeavesNothingToMakeUp) {
  TLocalTime start = MakeTime(2026, 12, 8, 7, 10, 0);
  planner_.Notice(last_, start, hours_, true);
  last_ = MakeTime(2026, 12, 8, 7, 11, 0);
  EXPECT_TRUE(Ask(start, 600).empty());
}

TEST_F(MissedRunPlannerTest, AWakeUpPlansLikeAStartAndARunInProgressIsAwaited) {
  TLocalTime resume = MakeTime(2026, 12, 8, 19, 30, 0);
  planner_.Notice(last_, resume, hours_, true);
  planner_.Notice(last_, MakeTime(2026, 12, 8, 19, 31, 0), hours_, true);  // a second wake-up
  EXPECT_TRUE(Ask(resume, 300, true).empty()) << "not beside a run";
  EXPECT_TRUE(planner_.Pending());
  EXPECT_EQ(Ask(MakeTime(2026, 12, 8, 19, 35, 0), 5),
            std::vector<std::string>{"18 at 2026-12-08 19:35:00"});
}

TEST_F(MissedRunPlannerTest, NothingIsPlannedWhenSwitchedOffOrTheLastStartIsUnknown) {
  TLocalTime start = MakeTime(2026, 12, 8, 7, 10, 0);
  planner_.Notice(last_, start, hours_, false);
  EXPECT_FALSE(planner_.Pending());
  planner_.Notice(std::nullopt, start, hours_, true);
  EXPECT_FALSE(planner_.Pending());
  EXPECT_TRUE(Ask(start, 600).empty());
}

TEST(MissedRunTest, TheStoredStartIsReadLeniently) {
  TLocalTime t = MakeTime(2026, 12, 8, 18, 0, 7);
  EXPECT_EQ(StoredRunStart(t), "2026-12-08 18:00:07");
  std::optional<TLocalTime> back = ParseStoredRunStart("2026-12-08 18:00:07");
  ASSERT_TRUE(back);
  EXPECT_EQ(LocalSeconds(*back), LocalSeconds(t));
  for (const char* bad : {"", "gestern", "2026-13-01 00:00:00", "2026-12-08 24:00:00",
                          "2026-12-08 18:00:07 x", "2026-12-08"})
    EXPECT_FALSE(ParseStoredRunStart(bad)) << bad;
  EXPECT_EQ(MakeUpLine(18),
            "Die Sicherung von 18 Uhr wird nachgeholt (der PC war zu dieser Zeit aus oder im "
            "Ruhezustand).");
}

}  // namespace
}  // namespace qv
