#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "TestClock.h"
#include "sched/CronScheduler.h"

namespace qv {
namespace {

using test::MakeTime;
using test::TFakeClock;

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The fire message's handler, reached without the manager.
class TFireableCronJob : public TCronJob {
 public:
  using TCronJob::Fire;
};

struct FireCounter {
  int fires = 0;
  DWORD thread = 0;
  template <class TJob = TCronJob>
  TJob* Make(const std::string& expression) {
    auto* job = new TJob;  // owned by the timer manager
    job->OnFire = [this](TCronJob&) {
      ++fires;
      thread = GetCurrentThreadId();
    };
    job->SetExpression(expression);
    return job;
  }
};

class CronSchedulerTest : public testing::Test {
 protected:
  void SetUp() override {
    clock_.Set(MakeTime(2026, 12, 8, 13, 59, 58));
    module_ = std::make_unique<TCronSchedulerScope>();
  }
  void TearDown() override {
    module_.reset();
    SetClockForTest(nullptr);
  }
  // Starts the fake clock one second before the first step of a test.
  void StartAt(const TLocalTime& t) {
    SetClockForTest(&clock_);
    clock_.Advance(t);
    PumpMessages();
  }
  void Step(const TLocalTime& t) {
    clock_.Advance(t);
    PumpMessages();
  }

  TFakeClock clock_;
  std::unique_ptr<TCronSchedulerScope> module_;
};

TEST_F(CronSchedulerTest, EveryFiveSecondsFiresTwelveTimesAMinute) {
  FireCounter counter;
  counter.Make("+5 * * * * *");
  StartAt(MakeTime(2026, 12, 8, 13, 59, 59));
  counter.fires = 0;
  for (int s = 0; s < 60; ++s) Step(MakeTime(2026, 12, 8, 14, 0, s));
  EXPECT_EQ(counter.fires, 12);
  EXPECT_EQ(counter.thread, GetCurrentThreadId());
}

TEST_F(CronSchedulerTest, FiresOncePerMatchingSecond) {
  FireCounter counter;
  counter.Make("0 +10 * * * *");
  StartAt(MakeTime(2026, 12, 8, 14, 19, 59));
  EXPECT_EQ(counter.fires, 0);
  Step(MakeTime(2026, 12, 8, 14, 20, 0));
  EXPECT_EQ(counter.fires, 1);
  Step(MakeTime(2026, 12, 8, 14, 20, 0));  // the same second again
  Step(MakeTime(2026, 12, 8, 14, 20, 1));
  Step(MakeTime(2026, 12, 8, 14, 25, 0));
  EXPECT_EQ(counter.fires, 1);
}

TEST_F(CronSchedulerTest, DisabledJobsDoNotFireAndDoNotCatchUp) {
  FireCounter counter;
  TCronJob* job = counter.Make("* * * * * *");
  StartAt(MakeTime(2026, 12, 8, 9, 0, 0));
  counter.fires = 0;
  job->SetEnabled(false);
  for (int s = 1; s <= 5; ++s) Step(MakeTime(2026, 12, 8, 9, 0, s));
  EXPECT_EQ(counter.fires, 0);
  job->SetEnabled(true);
  Step(MakeTime(2026, 12, 8, 9, 0, 6));
  EXPECT_EQ(counter.fires, 1);
}

// The manager sleeps until the next second: woken a little late (a busy
// machine), it evaluates the seconds it slept through; after a longer gap (the
// machine asleep) it does not replay them.
TEST_F(CronSchedulerTest, ALateWakeUpCatchesUpButALongGapIsNotReplayed) {
  FireCounter counter;
  counter.Make("30 * * * * *");
  StartAt(MakeTime(2026, 12, 8, 9, 0, 29));
  Step(MakeTime(2026, 12, 8, 9, 0, 31));  // second 30 slept through
  EXPECT_EQ(counter.fires, 1);
  Step(MakeTime(2026, 12, 8, 9, 1, 29));
  Step(MakeTime(2026, 12, 8, 9, 2, 40));  // asleep over second 30 of minute 2
  EXPECT_EQ(counter.fires, 1);
}

TEST_F(CronSchedulerTest, ExpressionRules) {
  FireCounter counter;
  TCronJob* job = counter.Make("");
  EXPECT_EQ(job->ParseCount(), 0);  // the empty text on a new job changes nothing
  StartAt(MakeTime(2026, 12, 8, 10, 0, 0));
  Step(MakeTime(2026, 12, 8, 10, 0, 1));
  EXPECT_EQ(counter.fires, 0);

  job->SetExpression("0 0 8 * * *");
  job->SetExpression("0 0 8 * * *");
  EXPECT_EQ(job->ParseCount(), 1);
  job->SetExpression("0 0 8 * * * ");  // compared exactly
  EXPECT_EQ(job->ParseCount(), 2);

  job->SetExpression("");  // now parsed: every second
  Step(MakeTime(2026, 12, 8, 10, 0, 2));
  Step(MakeTime(2026, 12, 8, 10, 0, 3));
  EXPECT_EQ(counter.fires, 2);
}

TEST_F(CronSchedulerTest, FireRunsAtOnceOnTheCallingThreadAlsoWhenDisabled) {
  FireCounter counter;
  auto* job = counter.Make<TFireableCronJob>("");
  job->SetEnabled(false);
  job->Fire();
  EXPECT_EQ(counter.fires, 1);
  EXPECT_EQ(counter.thread, GetCurrentThreadId());
}

TEST_F(CronSchedulerTest, RegisteringTwiceChangesNothing) {
  FireCounter counter;
  TCronJob* job = counter.Make("");
  ASSERT_EQ(CronScheduler()->RegisteredCount(), 1);
  CronScheduler()->Register(job);
  EXPECT_EQ(CronScheduler()->RegisteredCount(), 1);
  delete job;  // a job destroyed early unregisters itself
  EXPECT_EQ(CronScheduler()->RegisteredCount(), 0);
}

TEST_F(CronSchedulerTest, JobWindowAgreesToEndTheSession) {
  FireCounter counter;
  TCronJob* job = counter.Make("");
  EXPECT_EQ(SendMessageW(job->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
}

TEST(CronSchedulerLifetime, JobsStillRegisteredEndWithTheManager) {
  // A job may end another one that is still registered (its owner, say).
  struct TrackedJob : TCronJob {
    TrackedJob(std::vector<int>& log, int id, TCronJob* alsoEnds = nullptr)
        : log_(log), id_(id), alsoEnds_(alsoEnds) {}
    ~TrackedJob() override {
      log_.push_back(id_);
      delete alsoEnds_;
    }
    std::vector<int>& log_;
    int id_;
    TCronJob* alsoEnds_;
  };
  std::vector<int> destroyed;
  {
    TCronSchedulerScope module;
    auto* first = new TrackedJob(destroyed, 1);
    new TrackedJob(destroyed, 2);
    new TrackedJob(destroyed, 3, first);
    EXPECT_EQ(CronScheduler()->RegisteredCount(), 3);
    EXPECT_TRUE(destroyed.empty());
  }
  // The last registered first; the one ended by another is not ended twice.
  EXPECT_EQ(destroyed, (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(CronScheduler(), nullptr);
  EXPECT_EQ(LiveHiddenWindowCount(), 0);
}

TEST(CronSchedulerLifetime, FiresReachTheMessageLoopOfTheMainThread) {
  TFakeClock clock;
  clock.Set(MakeTime(2026, 12, 8, 9, 0, 0));
  test::TClockScope scope(clock);
  TCronSchedulerScope module;
  FireCounter counter;
  counter.Make("* * * * * *");
  clock.Advance(MakeTime(2026, 12, 8, 9, 0, 1));  // the manager has seen the new second
  // The fire message is posted before the clock is read again; wait for it
  // to arrive, not for time to pass.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_POSTMESSAGE);
  PumpMessages();
  EXPECT_GE(counter.fires, 1);
  EXPECT_EQ(counter.thread, GetCurrentThreadId());
}

struct Recorder {
  std::vector<TMessage> seen;
  void Handle(TMessage& m) {
    seen.push_back(m);
    m.Result = 42;
  }
};

TEST(HiddenWindow, ForwardsMessagesToTheBoundHandler) {
  Recorder recorder;
  int before = LiveHiddenWindowCount();
  HWND window = AllocWnd(BindWndMethod<Recorder, &Recorder::Handle>(&recorder));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(LiveHiddenWindowCount(), before + 1);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_STREQ(className, L"QvHiddenWindow");
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  recorder.seen.clear();
  EXPECT_EQ(SendMessageW(window, WM_USER + 7, 11, 22), 42);
  ASSERT_TRUE(PostMessageW(window, WM_USER + 8, 33, 44));
  PumpMessages();
  ASSERT_EQ(recorder.seen.size(), 2u);
  EXPECT_EQ(recorder.seen[0].Msg, static_cast<UINT>(WM_USER + 7));
  EXPECT_EQ(recorder.seen[0].WParam, 11u);
  EXPECT_EQ(recorder.seen[1].LParam, 44);

  DeallocWnd(window);
  DeallocWnd(nullptr);
  EXPECT_EQ(LiveHiddenWindowCount(), before);
  WNDCLASSW wc;
  if (before == 0) {
    EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"QvHiddenWindow", &wc));
  }
}

}  // namespace
}  // namespace qv
