#include "app/MissedRun.h"

#include <cstdio>

#include "util/LocalTimeMath.h"

namespace qv {
namespace {

bool IsValidTime(const TLocalTime& t) {
  return t.Year >= 1601 && t.Month >= 1 && t.Month <= 12 && t.Day >= 1 && t.Day <= 31 &&
         t.Hour >= 0 && t.Hour <= 23 && t.Minute >= 0 && t.Minute <= 59 && t.Second >= 0 &&
         t.Second <= 59;
}

}  // namespace

std::string StoredRunStart(const TLocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second);
  return text;
}

std::optional<TLocalTime> ParseStoredRunStart(const std::string& text) {
  TLocalTime t;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &t.Year, &t.Month, &t.Day, &t.Hour,
                  &t.Minute, &t.Second, &used) != 6 ||
      used != static_cast<int>(text.size()) || !IsValidTime(t))
    return std::nullopt;
  return t;
}

std::optional<int> MissedHour(const std::optional<TLocalTime>& lastStart, const TLocalTime& now,
                              const THourSet& hours) {
  if (!lastStart) return std::nullopt;
  const std::int64_t last = LocalSeconds(*lastStart);
  const std::int64_t current = LocalSeconds(now);
  if (current < last) return std::nullopt;
  // The checked hours' starts of today and yesterday, latest first.
  const std::int64_t today = current - (now.Hour * 3600 + now.Minute * 60 + now.Second);
  for (std::int64_t day : {today, today - kSecondsPerDay}) {
    for (int hour = 23; hour >= 0; --hour) {
      std::int64_t start = day + hour * 3600;
      if (!hours[hour] || start > current) continue;
      if (start <= last || start <= current - kSecondsPerDay) return std::nullopt;
      return hour;
    }
  }
  return std::nullopt;
}

std::string MakeUpLine(int hour) {
  return "Die Sicherung von " + std::to_string(hour) +
         " Uhr wird nachgeholt (der PC war zu dieser Zeit aus oder im Ruhezustand).";
}

void TMissedRunPlanner::Notice(const std::optional<TLocalTime>& lastStart, const TLocalTime& now,
                               const THourSet& hours, bool enabled) {
  if (!enabled || !MissedHour(lastStart, now, hours)) return;
  if (!dueAt_) dueAt_ = LocalSeconds(now) + kMakeUpDelaySeconds;
}

bool TMissedRunPlanner::Reached(const TLocalTime& now) const {
  return dueAt_ && LocalSeconds(now) >= *dueAt_;
}

std::optional<int> TMissedRunPlanner::Due(const std::optional<TLocalTime>& lastStart,
                                          const TLocalTime& now, const THourSet& hours,
                                          bool running) {
  if (running || !Reached(now)) return std::nullopt;
  dueAt_.reset();
  return MissedHour(lastStart, now, hours);
}

}  // namespace qv
