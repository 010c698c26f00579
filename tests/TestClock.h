#pragma once
// A clock that tests set by hand. Readers can be awaited: after Advance()
// returns, the readers have seen the new time at least twice, so a polling
// thread has finished the pass that belongs to it.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "util/Seams.h"

namespace qv::test {

class TFakeClock final : public IClock {
 public:
  TLocalTime LocalNow() override {
    std::lock_guard<std::mutex> guard(lock_);
    ++reads_;
    changed_.notify_all();
    return now_;
  }
  std::uint64_t MonotonicMs() override {
    std::lock_guard<std::mutex> guard(lock_);
    return ms_;
  }
  // Its time moves when the test moves it: readers look again soon.
  unsigned MsToNextSecond() override { return 10; }
  void Set(const TLocalTime& t) {
    std::lock_guard<std::mutex> guard(lock_);
    now_ = t;
  }
  void SetMs(std::uint64_t ms) {
    std::lock_guard<std::mutex> guard(lock_);
    ms_ = ms;
  }
  // Sets the time and waits until it has been read twice.
  void Advance(const TLocalTime& t) {
    std::unique_lock<std::mutex> guard(lock_);
    now_ = t;
    std::uint64_t target = reads_ + 2;
    changed_.wait(guard, [&] { return reads_ >= target; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  TLocalTime now_;
  std::uint64_t ms_ = 0;
  std::uint64_t reads_ = 0;
};

// Installs a clock for the lifetime of the object.
class TClockScope {
 public:
  explicit TClockScope(IClock& clock) { SetClockForTest(&clock); }
  ~TClockScope() { SetClockForTest(nullptr); }
  TClockScope(const TClockScope&) = delete;
  TClockScope& operator=(const TClockScope&) = delete;
};

inline TLocalTime MakeTime(int year, int month, int day, int hour, int minute, int second,
                           int dayOfWeek = 2) {
  TLocalTime t;
  t.Year = year;
  t.Month = month;
  t.Day = day;
  t.Hour = hour;
  t.Minute = minute;
  t.Second = second;
  t.DayOfWeek = dayOfWeek;
  return t;
}

}  // namespace qv::test

namespace qv::test {

// Time that passes only when retry loops sleep: tests of timed retries run
// at once and still see their full duration.
class TFakeTime final : public IClock, public ISleeper {
 public:
  TFakeTime() {
    SetClockForTest(this);
    SetSleeperForTest(this);
  }
  ~TFakeTime() override {
    SetSleeperForTest(nullptr);
    SetClockForTest(nullptr);
  }
  TFakeTime(const TFakeTime&) = delete;
  TFakeTime& operator=(const TFakeTime&) = delete;
  TLocalTime LocalNow() override { return MakeTime(2026, 12, 8, 9, 0, 0); }
  std::uint64_t MonotonicMs() override { return ms_; }
  void SleepMs(unsigned ms) override {
    ms_ += ms;
    ++sleeps_;
  }
  std::uint64_t Elapsed() const { return ms_; }
  int Sleeps() const { return sleeps_; }

 private:
  std::uint64_t ms_ = 0;
  int sleeps_ = 0;
};

// A monotonic clock that moves on by a fixed step at every reading (for
// throttles); the calendar time stands still.
class TSteppingClock final : public IClock {
 public:
  TSteppingClock(const TLocalTime& now, std::uint64_t stepMs) : now_(now), stepMs_(stepMs) {}
  TLocalTime LocalNow() override { return now_; }
  std::uint64_t MonotonicMs() override { return ms_ += stepMs_; }

 private:
  TLocalTime now_;
  std::uint64_t stepMs_;
  std::uint64_t ms_ = 0;
};

}  // namespace qv::test
