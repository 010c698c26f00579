#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestClock.h"
#include "sched/CronExpression.h"

namespace qv {
namespace {

std::vector<int> Values(std::uint64_t set) {
  std::vector<int> v;
  for (int i = 0; i < 64; ++i)
    if ((set >> i) & 1u) v.push_back(i);
  return v;
}

// Values allowed by one field, read as the second field of an expression.
std::vector<int> FieldValues(const std::string& field) {
  TCronExpression cron;
  cron.Parse("0 " + field + " * * * *");
  return Values(cron.Set(1));
}

TLocalTime At(int hour, int minute, int second, int dayOfWeek = 3, int day = 9, int month = 12) {
  return test::MakeTime(2026, month, day, hour, minute, second, dayOfWeek);
}

std::vector<int> Range(int from, int to, int step = 1) {
  std::vector<int> v;
  for (int i = from; i <= to; i += step) v.push_back(i);
  return v;
}

TEST(CronNumber, ConvertsLikeTheExpressionsNeed) {
  EXPECT_EQ(ParseCronNumber("12").Value, 12);
  EXPECT_TRUE(ParseCronNumber("12").Valid);
  EXPECT_EQ(ParseCronNumber("12a").Value, 12);
  EXPECT_FALSE(ParseCronNumber("12a").Valid);
  EXPECT_EQ(ParseCronNumber("").Value, 0);
  EXPECT_FALSE(ParseCronNumber("").Valid);
  EXPECT_EQ(ParseCronNumber("x").Value, 0);
  EXPECT_FALSE(ParseCronNumber("x").Valid);
  EXPECT_EQ(ParseCronNumber("$1F").Value, 31);
  EXPECT_TRUE(ParseCronNumber("$1F").Valid);
  EXPECT_EQ(ParseCronNumber("0x10").Value, 16);
  EXPECT_EQ(ParseCronNumber("-3").Value, -3);
  EXPECT_FALSE(ParseCronNumber("0x").Valid);
  EXPECT_GT(ParseCronNumber("99999999999999999999999").Value, 59);
}

TEST(CronForms, EachItemFormAddsItsValues) {
  EXPECT_EQ(FieldValues("8"), std::vector<int>{8});
  EXPECT_EQ(FieldValues("3-7"), Range(3, 7));
  EXPECT_EQ(FieldValues("+10"), (std::vector<int>{0, 10, 20, 30, 40, 50}));
  EXPECT_EQ(FieldValues("5+20"), (std::vector<int>{5, 25, 45}));
  EXPECT_EQ(FieldValues("10-30+7"), (std::vector<int>{10, 17, 24}));
  EXPECT_EQ(FieldValues("50-70+4"), (std::vector<int>{50, 54, 58}));
  EXPECT_EQ(FieldValues("-3"), Range(0, 3));
  EXPECT_EQ(FieldValues("5-"), std::vector<int>{5});
  EXPECT_EQ(FieldValues("40-+7"), (std::vector<int>{40, 47, 54}));
  EXPECT_EQ(FieldValues("20-10"), std::vector<int>{20});
  EXPECT_EQ(FieldValues("+0"), std::vector<int>{0});
  EXPECT_EQ(FieldValues("70"), std::vector<int>{});
  EXPECT_EQ(FieldValues("1,5,9-10"), (std::vector<int>{1, 5, 9, 10}));
  EXPECT_EQ(FieldValues("$A"), std::vector<int>{10});
  EXPECT_EQ(FieldValues("12a"), std::vector<int>{12});
  EXPECT_EQ(FieldValues("2-5a+20"), (std::vector<int>{2, 22, 42}));  // invalid end with a step: 59
}

TEST(CronForms, WildcardsAndEmptyFields) {
  TCronExpression cron;
  cron.Parse("*/5 a*b * * * *");
  EXPECT_EQ(cron.Set(0), TCronExpression::kAny);
  EXPECT_EQ(cron.Set(1), TCronExpression::kAny);
  EXPECT_EQ(FieldValues(""), std::vector<int>{});
  EXPECT_EQ(FieldValues(","), (std::vector<int>{0}));  // one empty item reads as 0
}

TEST(CronForms, ParsingWritesOnlyValuesUpTo59) {
  TCronExpression cron;
  cron.Parse("0-100 +1 * * * *");
  EXPECT_EQ(cron.Set(0), (std::uint64_t{1} << 60) - 1);
  EXPECT_EQ(cron.Set(1), (std::uint64_t{1} << 60) - 1);
  EXPECT_EQ(cron.Set(2), TCronExpression::kAny);
}

TEST(CronForms, NegativeStepAddsTheStartAlone) {
  EXPECT_EQ(FieldValues("10+-3"), std::vector<int>{10});
  EXPECT_EQ(FieldValues("0-30+-1"), std::vector<int>{0});
  EXPECT_EQ(FieldValues("+-5"), std::vector<int>{0});
}

TEST(CronFields, MissingTrailingFieldsMatchEverything) {
  TCronExpression cron;
  cron.Parse("0 0 8");
  EXPECT_TRUE(cron.Matches(At(8, 0, 0, 0)));
  EXPECT_TRUE(cron.Matches(At(8, 0, 0, 6, 31, 1)));
  EXPECT_FALSE(cron.Matches(At(9, 0, 0)));
  for (int i = 3; i < 6; ++i) EXPECT_EQ(cron.Set(i), TCronExpression::kAny);
}

TEST(CronFields, EmptyTextMatchesEverySecond) {
  TCronExpression cron;
  cron.Parse("");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(cron.Set(i), TCronExpression::kAny);
  EXPECT_TRUE(cron.Matches(At(13, 17, 59)));
}

TEST(CronFields, NewCronMatchesNothing) {
  TCronExpression cron;
  EXPECT_FALSE(cron.Matches(At(0, 0, 0)));
  EXPECT_FALSE(cron.Matches(At(8, 0, 0)));
}

TEST(CronFields, TextAfterSixthFieldIsIgnored) {
  TCronExpression a, b;
  a.Parse("0 0 8 * * * junk");
  b.Parse("0 0 8 * * *");
  EXPECT_EQ(a, b);
}

TEST(CronFields, TrailingBlankChangesNothing) {
  TCronExpression a, b;
  a.Parse("0 0 ");
  b.Parse("0 0");
  EXPECT_EQ(a, b);
}

TEST(CronFields, TabsAreOrdinaryCharacters) {
  TCronExpression cron;
  cron.Parse("0\t5 * * * * *");  // first field "0\t5": 0, then an invalid rest
  EXPECT_EQ(Values(cron.Set(0)), std::vector<int>{0});
  EXPECT_EQ(cron.Set(1), TCronExpression::kAny);
}

TEST(CronLimits, FieldIsReadUpTo63Characters) {
  std::string allHours = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23";
  ASSERT_EQ(allHours.size(), 61u);
  TCronExpression cron;
  cron.Parse("0 0 " + allHours + " * * *");
  EXPECT_EQ(Values(cron.Set(2)), Range(0, 23));

  // 62 characters of padding, then ",9": only "," of the tail is read.
  std::string longField = "1" + std::string(61, ',') + ",9";
  ASSERT_EQ(longField.size(), 64u);
  cron.Parse("0 0 " + longField + " * * *");
  EXPECT_EQ(Values(cron.Set(2)), (std::vector<int>{0, 1}));
}

TEST(CronLimits, ExpressionIsReadUpTo255Characters) {
  std::string padding(251, 'x');  // one field of 251 characters: reads as 0
  TCronExpression cron;
  cron.Parse(padding + " 7 95 * * *");  // character 256 is the "5" of "95"
  EXPECT_EQ(Values(cron.Set(0)), std::vector<int>{0});
  EXPECT_EQ(Values(cron.Set(1)), std::vector<int>{7});
  EXPECT_EQ(Values(cron.Set(2)), std::vector<int>{9});
  EXPECT_EQ(cron.Set(3), TCronExpression::kAny);
}

TEST(CronProgramExpressions, EveryTenMinutes) {
  TCronExpression cron;
  cron.Parse("0 +10 * * * *");
  EXPECT_TRUE(cron.Matches(At(14, 20, 0)));
  EXPECT_FALSE(cron.Matches(At(14, 20, 1)));
  EXPECT_FALSE(cron.Matches(At(14, 25, 0)));
  EXPECT_TRUE(cron.Matches(At(0, 50, 0)));
}

TEST(CronProgramExpressions, EveryThirtyMinutes) {
  TCronExpression cron;
  cron.Parse("0 +30 * * * *");
  EXPECT_TRUE(cron.Matches(At(3, 0, 0)));
  EXPECT_TRUE(cron.Matches(At(3, 30, 0)));
  EXPECT_FALSE(cron.Matches(At(3, 10, 0)));
}

TEST(CronProgramExpressions, EveryFiveSeconds) {
  TCronExpression cron;
  cron.Parse("+5 * * * * *");
  for (int s = 0; s < 60; ++s) EXPECT_EQ(cron.Matches(At(11, 7, s)), s % 5 == 0) << s;
}

TEST(CronProgramExpressions, ChosenHours) {
  TCronExpression cron;
  cron.Parse("0 0 8,9,10,11,12,13,14,15,16,17,18 * * *");
  for (int dow = 0; dow < 7; ++dow) {
    EXPECT_TRUE(cron.Matches(At(8, 0, 0, dow)));
    EXPECT_TRUE(cron.Matches(At(18, 0, 0, dow)));
  }
  EXPECT_FALSE(cron.Matches(At(19, 0, 0)));
  EXPECT_FALSE(cron.Matches(At(8, 0, 1)));
  EXPECT_FALSE(cron.Matches(At(7, 0, 0)));
}

TEST(CronProgramExpressions, NoHourChosenNeverMatches) {
  TCronExpression cron;
  cron.Parse("0 0  * * *");
  EXPECT_EQ(cron.Set(2), TCronExpression::kNone);
  for (int h = 0; h < 24; ++h) EXPECT_FALSE(cron.Matches(At(h, 0, 0)));
  cron.Parse(" 0 0 8 * * *");
  EXPECT_FALSE(cron.Matches(At(8, 0, 0)));
}

TEST(CronProgramExpressions, DayOfWeekField) {
  TCronExpression cron;
  cron.Parse("0 0 8 * * 1");
  EXPECT_TRUE(cron.Matches(At(8, 0, 0, 1)));
  for (int dow : {0, 2, 3, 4, 5, 6}) EXPECT_FALSE(cron.Matches(At(8, 0, 0, dow)));
}

TEST(CronProgramExpressions, NoFieldHasARangeOfItsOwn) {
  TCronExpression cron;
  cron.Parse("0 0 0 +10 +10 *");
  EXPECT_EQ(Values(cron.Set(3)), (std::vector<int>{0, 10, 20, 30, 40, 50}));
  EXPECT_TRUE(cron.Matches(At(0, 0, 0, 2, 20, 10)));
  EXPECT_FALSE(cron.Matches(At(0, 0, 0, 2, 20, 11)));
}

}  // namespace
}  // namespace qv
