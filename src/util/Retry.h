#pragma once
// The program's one way to retry an operation on files that other programs
// may hold open: a named policy says how often and how long to wait; the
// last failure propagates. Sleeps go through the sleep seam.
#include <cstdint>
#include <type_traits>

#include "util/Seams.h"

namespace qv {

struct TRetryPolicy {
  int Attempts = 1;             // 0: bounded by ForMs only
  unsigned PauseMs = 0;         // after the first failure
  unsigned PauseGrowthMs = 0;   // added after each further failure
  std::uint64_t ForMs = 0;      // with Attempts 0: give up once this much time has passed
  bool PauseAfterLast = false;  // the last failure is followed by its pause too
};

// Text lists and streams, and the ZIP writer's source files: 100 x 100 ms.
inline constexpr TRetryPolicy kTextRetry{100, 100, 0, 0, false};
inline constexpr TRetryPolicy kZipSourceRetry{100, 100, 0, 0, false};
// Copies: 10 attempts, pauses of 100, 200, ... 1,000 ms.
inline constexpr TRetryPolicy kCopyRetry{10, 100, 100, 0, true};
// A finished archive set taking its name: 10 attempts, pauses of 100, 200, ... 900 ms.
inline constexpr TRetryPolicy kSetRenameRetry{10, 100, 100, 0, false};
// The INI store: 10 s in 10 ms steps.
inline constexpr TRetryPolicy kIniRetry{0, 10, 0, 10000, false};

namespace retry_detail {
// Whether the failure that just happened in `attempt` is the last one.
inline bool IsLast(const TRetryPolicy& policy, int attempt, std::uint64_t start) {
  if (policy.Attempts == 0) return MonotonicMs() - start > policy.ForMs;
  return attempt >= policy.Attempts;
}
}  // namespace retry_detail

// Runs op until it returns a result that done() accepts. A result done()
// refuses is retried at once; a failure of type Failure after the policy's
// pause; other exceptions pass at once. After the last attempt its result
// is given, or its failure rethrown.
template <class Failure, class Operation, class Done>
auto WithRetryUntil(const TRetryPolicy& policy, Operation op, Done done) -> decltype(op()) {
  std::uint64_t start = policy.Attempts == 0 ? MonotonicMs() : 0;
  unsigned pause = policy.PauseMs;
  for (int attempt = 1;; ++attempt) {
    try {
      auto result = op();
      if (done(result) || retry_detail::IsLast(policy, attempt, start)) return result;
      continue;
    } catch (const Failure&) {
      if (retry_detail::IsLast(policy, attempt, start)) {
        if (policy.PauseAfterLast) SleepMs(pause);
        throw;
      }
    }
    SleepMs(pause);
    pause += policy.PauseGrowthMs;
  }
}

// Runs op until it returns without a failure of type Failure.
template <class Failure, class Operation>
auto WithRetry(const TRetryPolicy& policy, Operation op) -> decltype(op()) {
  if constexpr (std::is_void_v<decltype(op())>) {
    WithRetryUntil<Failure>(
        policy,
        [&] {
          op();
          return true;
        },
        [](bool) { return true; });
  } else {
    return WithRetryUntil<Failure>(policy, op, [](const auto&) { return true; });
  }
}

}  // namespace qv
