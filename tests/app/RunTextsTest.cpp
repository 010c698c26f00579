#include <gtest/gtest.h>

#include <cstdio>

#include "TestClock.h"
#include "app/RunTexts.h"

namespace qv {
namespace {

using test::MakeTime;

TLocalTime At(int day, int hour, int minute, int second, int ms = 0, int month = 12) {
  TLocalTime t = MakeTime(2026, month, day, hour, minute, second);
  t.Millisecond = ms;
  return t;
}

std::string HhMmSs(const TLocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
  return text;
}

TEST(RunTextsTest, SecondsBetweenCountWholeSecondsAcrossDaysAndMonths) {
  EXPECT_EQ(SecondsBetween(At(8, 9, 0, 0), At(8, 9, 0, 0, 1)), 0);
  EXPECT_EQ(SecondsBetween(At(8, 9, 0, 0, 500), At(8, 9, 0, 1, 499)), 0);
  EXPECT_EQ(SecondsBetween(At(8, 9, 0, 0, 500), At(8, 9, 0, 1, 500)), 1);
  EXPECT_EQ(SecondsBetween(At(8, 23, 59, 30), At(9, 0, 0, 30)), 60);
  EXPECT_EQ(SecondsBetween(At(30, 23, 0, 0, 0, 11), At(1, 1, 0, 0)), 7200);
  EXPECT_EQ(SecondsBetween(At(9, 0, 0, 30), At(8, 23, 59, 30)), 60);  // order does not matter
  EXPECT_EQ(SecondsBetween(MakeTime(2028, 2, 28, 12, 0, 0), MakeTime(2028, 3, 1, 12, 0, 0)),
            2 * 86400);  // a leap day lies between
}

TEST(RunTextsTest, TheElapsedTimeIsATimeOfDayInTheGivenFormat) {
  EXPECT_EQ(ElapsedText(At(8, 9, 0, 0), At(8, 10, 2, 3), HhMmSs), "01:02:03");
  EXPECT_EQ(ElapsedText(At(8, 9, 0, 0), At(8, 9, 0, 0, 1), HhMmSs), "00:00:00");
  // A run over a whole day shows the time beyond the day.
  EXPECT_EQ(ElapsedText(At(8, 9, 0, 0), At(9, 9, 0, 5), HhMmSs), "00:00:05");
}

TEST(RunTextsTest, TheStatusLabelShowsProgressAndTheEnd) {
  EXPECT_EQ(StatusAfterReport("00:00:07", "</b>x<b></b>: Tabelle A.ADT<hr>ok<hr>", false, 2),
            "<b>00:00:07 </b></b>x<b></b>: Tabelle A.ADTok");
  EXPECT_EQ(StatusAfterReport("00:01:00", "Ende<hr>", true, 0), "Gesamt: <b>00:01:00 </b> Fertig!");
  EXPECT_EQ(StatusAfterReport("00:01:00", "Zeile", false, 0), "Gesamt: <b>00:01:00 </b> Fertig!");
  // A final report while other jobs still run leaves the label as it is.
  EXPECT_FALSE(StatusAfterReport("00:00:30", "Ende<hr>", true, 1).has_value());
}

TEST(RunTextsTest, TheListAfterARunFollowsTheUsersListElseAChangedInstalledList) {
  const TStringList user = {"D:\\Eigen\\"}, installed = {"C:\\Kontorix\\Daten\\"};
  EXPECT_EQ(DatabaseListAfterRun(user, installed, {"X:\\"}), user);
  EXPECT_EQ(DatabaseListAfterRun(user, installed, user), user);
  EXPECT_FALSE(DatabaseListAfterRun({}, installed, {"c:\\KONTORIX\\daten\\"}).has_value());
  EXPECT_FALSE(DatabaseListAfterRun({}, {"C:\\Ärger\\"}, {"c:\\ärger\\"}).has_value());
  EXPECT_EQ(DatabaseListAfterRun({}, installed, {"C:\\Kontorix\\Alt\\"}), installed);
  EXPECT_EQ(DatabaseListAfterRun({}, {}, {"C:\\Kontorix\\Alt\\"}), TStringList{});
}

}  // namespace
}  // namespace qv
