#include "util/Retry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace qv {
namespace {

// Time that passes only when the retry loop sleeps.
class TSleepLog final : public IClock, public ISleeper {
 public:
  TSleepLog() {
    SetClockForTest(this);
    SetSleeperForTest(this);
  }
  ~TSleepLog() override {
    SetSleeperForTest(nullptr);
    SetClockForTest(nullptr);
  }
  TLocalTime LocalNow() override { return {}; }
  std::uint64_t MonotonicMs() override { return ms_; }
  void SleepMs(unsigned ms) override {
    pauses.push_back(ms);
    ms_ += ms;
  }
  std::vector<unsigned> pauses;

 private:
  std::uint64_t ms_ = 0;
};

struct TBusy : std::runtime_error {
  TBusy() : std::runtime_error("busy") {}
};

TEST(Retry, EachPolicyWaitsAsNamed) {
  struct TCase {
    const char* Name;
    TRetryPolicy Policy;
    int Attempts;
    std::vector<unsigned> Pauses;
  };
  std::vector<unsigned> copyPauses;
  for (unsigned p = 100; p <= 1000; p += 100) copyPauses.push_back(p);
  const TCase cases[] = {
      {"text lists and streams", kTextRetry, 100, std::vector<unsigned>(99, 100)},
      {"ZIP sources", kZipSourceRetry, 100, std::vector<unsigned>(99, 100)},
      {"copies", kCopyRetry, 10, copyPauses},
      {"the INI store", kIniRetry, 1002, std::vector<unsigned>(1001, 10)},
  };
  for (const TCase& c : cases) {
    TSleepLog log;
    int attempts = 0;
    EXPECT_THROW(WithRetry<TBusy>(c.Policy,
                                  [&] {
                                    ++attempts;
                                    throw TBusy();
                                  }),
                 TBusy)
        << c.Name;
    EXPECT_EQ(attempts, c.Attempts) << c.Name;
    EXPECT_EQ(log.pauses, c.Pauses) << c.Name;
  }
}

TEST(Retry, SuccessEndsAtOnceAndOtherFailuresPass) {
  TSleepLog log;
  int attempts = 0;
  EXPECT_EQ(WithRetry<TBusy>(kTextRetry,
                             [&] {
                               if (++attempts < 3) throw TBusy();
                               return 42;
                             }),
            42);
  EXPECT_EQ(log.pauses, (std::vector<unsigned>{100, 100}));
  attempts = 0;
  EXPECT_THROW(WithRetry<TBusy>(kTextRetry,
                                [&]() -> int {
                                  ++attempts;
                                  throw std::logic_error("kein Zugriffsfehler");
                                }),
               std::logic_error);
  EXPECT_EQ(attempts, 1);
}

TEST(Retry, RefusedResultsAreTriedAgainAtOnce) {
  TSleepLog log;
  int attempts = 0;
  bool gone = WithRetryUntil<TBusy>(
      kTextRetry, [&] { return ++attempts == 5; }, [](bool done) { return done; });
  EXPECT_TRUE(gone);
  EXPECT_EQ(attempts, 5);
  EXPECT_TRUE(log.pauses.empty());
  attempts = 0;
  EXPECT_FALSE(WithRetryUntil<TBusy>(
      kTextRetry, [&] { return ++attempts < 0; }, [](bool done) { return done; }));
  EXPECT_EQ(attempts, 100) << "the last attempt's result is given";
}

}  // namespace
}  // namespace qv
