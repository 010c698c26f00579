#include "app/RunTexts.h"

#include <cstdlib>

#include "util/LocalTimeMath.h"

namespace qv {
namespace {

long long Milliseconds(const TLocalTime& t) { return LocalSeconds(t) * 1000LL + t.Millisecond; }

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
