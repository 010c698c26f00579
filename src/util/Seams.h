#pragma once
// Process-wide seams that tests replace: the clock, the sleep of retry loops
// and the program folder. Production code always goes through these.
#include <cstdint>
#include <string>

namespace qv {

// Local calendar time, as the platform reports it (DayOfWeek: 0 = Sunday).
struct TLocalTime {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int DayOfWeek = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual TLocalTime LocalNow() = 0;
  virtual std::uint64_t MonotonicMs() = 0;
};

class ISleeper {
 public:
  virtual ~ISleeper() = default;
  virtual void SleepMs(unsigned ms) = 0;
};

IClock& Clock();
TLocalTime LocalNow();
std::uint64_t MonotonicMs();
void SleepMs(unsigned ms);

// Folder of the running program, with a trailing separator.
std::string ProgramFolder();

// Test hooks: nullptr / empty restores the real implementation.
void SetClockForTest(IClock* clock);
void SetSleeperForTest(ISleeper* sleeper);
void SetProgramFolderForTest(const std::string& folder);

// The platform's own implementations (Seams_win.cpp / Seams_posix.cpp).
IClock& SystemClock();
void SystemSleepMs(unsigned ms);
std::string SystemProgramFolder();

}  // namespace qv
