#pragma once
// Which seconds the timer manager evaluates when it wakes (portable). It
// sleeps until the next second begins; a busy machine may wake it a little
// late, and then the seconds it slept through are evaluated too, in order,
// so that no schedule misses its second. After a jump of the clock (set
// forward or back, a resume from sleep) only the present second is: the
// hours that passed meanwhile are not fired all at once.
#include <cstdint>
#include <optional>
#include <vector>

#include "util/Seams.h"

namespace qv {

// Seconds missed beyond this count as a jump of the clock.
inline constexpr std::int64_t kCatchUpSeconds = 5;

class TSecondSteps {
 public:
  // The seconds to evaluate at now, oldest first; empty when now's second
  // was evaluated already.
  std::vector<TLocalTime> Next(const TLocalTime& now);

 private:
  std::optional<std::int64_t> last_;
};

}  // namespace qv
