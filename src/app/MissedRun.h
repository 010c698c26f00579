#pragma once
// Backup hours that passed while the PC was off or asleep. The tray program
// remembers when its last run started; after its start and after a wake-up it
// makes up one run for a checked hour missed since then, a little later, so
// that logging on or waking up stays quick (portable).
#include <cstdint>
#include <optional>
#include <string>

#include "app/RunHours.h"
#include "util/Seams.h"

namespace qv {

// Settings in UserMode.INI: when the last run started, and whether missed
// hours are made up (on unless "0").
inline constexpr char kLastRunStartKey[] = "Sicherung.LetzterStart";
inline constexpr char kMakeUpMissedKey[] = "Sicherung.Nachholen";
inline constexpr int kMakeUpDelaySeconds = 120;

// "2026-12-08 18:00:07", the stored form of a run's start.
std::string StoredRunStart(const TLocalTime& time);
// The stored form read back; nullopt (unknown) for anything else.
std::optional<TLocalTime> ParseStoredRunStart(const std::string& text);

// The latest checked hour whose start lies after lastStart and no more than
// 24 hours before now; nullopt when there is none, when the last start is
// unknown, or when now lies before it (the clock was set back).
std::optional<int> MissedHour(const std::optional<TLocalTime>& lastStart, const TLocalTime& now,
                              const THourSet& hours);

// The protocol's line before a made-up run.
std::string MakeUpLine(int hour);

// When the made-up run is due. Noticed at a start or a wake-up, it runs
// kMakeUpDelaySeconds later if the hour is still missed then: a run that
// started meanwhile (a checked hour, the user) counts instead.
class TMissedRunPlanner {
 public:
  // At the program's start and after a wake-up; enabled from the settings.
  void Notice(const std::optional<TLocalTime>& lastStart, const TLocalTime& now,
              const THourSet& hours, bool enabled);
  // Asked every few seconds: the hour to make up now, if one is due and no
  // run is in progress (then nothing more is planned).
  std::optional<int> Due(const std::optional<TLocalTime>& lastStart, const TLocalTime& now,
                         const THourSet& hours, bool running);
  bool Pending() const { return dueAt_.has_value(); }
  // The planned time has come (what Due needs is worth reading only then).
  bool Reached(const TLocalTime& now) const;

 private:
  std::optional<std::int64_t> dueAt_;
};

}  // namespace qv
