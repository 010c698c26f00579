#include "sched/SecondSteps.h"

#include "util/LocalTimeMath.h"

namespace qv {

std::vector<TLocalTime> TSecondSteps::Next(const TLocalTime& now) {
  const std::int64_t current = LocalSeconds(now);
  std::vector<TLocalTime> seconds;
  if (last_ && current == *last_) return seconds;
  if (last_ && current > *last_ && current - *last_ <= kCatchUpSeconds)
    for (std::int64_t s = *last_ + 1; s < current; ++s) seconds.push_back(FromLocalSeconds(s));
  seconds.push_back(now);
  last_ = current;
  return seconds;
}

}  // namespace qv
