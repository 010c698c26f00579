// Any bytes parse into six sets, quickly, and matching never misbehaves.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sched/CronExpression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::TCronExpression cron;
  cron.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  qv::TLocalTime t;
  for (int second = 0; second < 60; second += 7) {
    t.Second = second;
    t.Minute = second;
    t.Hour = second % 24;
    t.Day = 1 + second % 31;
    t.Month = 1 + second % 12;
    t.DayOfWeek = second % 7;
    (void)cron.Matches(t);
  }
  for (int i = 0; i < qv::TCronExpression::kSetCount; ++i) {
    std::uint64_t set = cron.Set(i);
    // Only 'any' may hold values 60..63.
    if (set != qv::TCronExpression::kAny && (set >> 60) != 0) __builtin_trap();
  }
  return 0;
}
