#include "app/RunTexts.h"

#include <cstdlib>

namespace qv {
namespace {

constexpr long long kSecondsPerDay = 86400;

// Days since 1 January 1970 of a date in the proleptic Gregorian calendar.
long long DaysFromCivil(int year, int month, int day) {
  long long y = year - (month <= 2 ? 1 : 0);
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yearOfEra = y - era * 400;
  long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

long long Milliseconds(const TLocalTime& t) {
  long long days = DaysFromCivil(t.Year, t.Month, t.Day);
  return ((days * 24 + t.Hour) * 60 + t.Minute) * 60000LL + t.Second * 1000LL + t.Millisecond;
}

std::string WithoutRules(std::string text) {
  for (std::size_t at = text.find("<hr>"); at != std::string::npos; at = text.find("<hr>", at))
    text.erase(at, 4);
  return text;
}

}  // namespace

long long SecondsBetween(const TLocalTime& a, const TLocalTime& b) {
  return std::llabs(Milliseconds(b) - Milliseconds(a)) / 1000;
}

std::string ElapsedText(const TLocalTime& start, const TLocalTime& now,
                        const TLongTimeFormat& longTime) {
  long long seconds = SecondsBetween(start, now) % kSecondsPerDay;
  // Only the time of day is shown; the date is any valid one.
  TLocalTime elapsed;
  elapsed.Year = 2000;
  elapsed.Month = 1;
  elapsed.Day = 1;
  elapsed.Hour = static_cast<int>(seconds / 3600);
  elapsed.Minute = static_cast<int>(seconds / 60 % 60);
  elapsed.Second = static_cast<int>(seconds % 60);
  return longTime(elapsed);
}

std::optional<std::string> StatusAfterReport(const std::string& elapsed, const std::string& text,
                                             bool final, int activeBackups) {
  if (activeBackups < 1) return "Gesamt: <b>" + elapsed + " </b> Fertig!";
  if (!final) return "<b>" + elapsed + " </b>" + WithoutRules(text);
  return std::nullopt;
}

std::optional<TStringList> DatabaseListAfterRun(const TStringList& userDefined,
                                                const TStringList& installed,
                                                const TStringList& shown) {
  if (!userDefined.empty()) return userDefined;
  if (LowerCase1252(JoinLines(installed)) != LowerCase1252(JoinLines(shown))) return installed;
  return std::nullopt;
}

}  // namespace qv
