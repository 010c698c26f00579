#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "backup/WorkerThreadPool.h"

namespace qv {
namespace {

// A gate that jobs wait at until the test opens it.
class TGate {
 public:
  void Open() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      open_ = true;
    }
    changed_.notify_all();
  }
  void Pass() {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [&] { return open_; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool open_ = false;
};

// What happened to the jobs of a test, guarded for access from the workers.
struct TJobLog {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<int> started;
  std::vector<int> finished;
  std::vector<std::thread::id> threads;
  int freed = 0;

  void Start(int id) {
    std::lock_guard<std::mutex> guard(lock);
    started.push_back(id);
    threads.push_back(std::this_thread::get_id());
    changed.notify_all();
  }
  void Finish(int id) {
    std::lock_guard<std::mutex> guard(lock);
    finished.push_back(id);
    changed.notify_all();
  }
  void Free() {
    std::lock_guard<std::mutex> guard(lock);
    ++freed;
    changed.notify_all();
  }
  template <class Pred>
  void WaitFor(Pred pred) {
    std::unique_lock<std::mutex> guard(lock);
    ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(30), [&] { return pred(*this); }));
  }
  size_t StartedCount() {
    std::lock_guard<std::mutex> guard(lock);
    return started.size();
  }
};

class TGatedJob final : public TWorkerThreadJob {
 public:
  TGatedJob(TJobLog& log, int id, TGate* gate, bool raise = false)
      : log_(log), id_(id), gate_(gate), raise_(raise) {}
  ~TGatedJob() override { log_.Free(); }
  void Run() override {
    log_.Start(id_);
    if (gate_) gate_->Pass();
    log_.Finish(id_);
    if (raise_) throw std::runtime_error("job failed");
  }

 private:
  TJobLog& log_;
  int id_;
  TGate* gate_;
  bool raise_;
};

TEST(WorkerPoolBounds, OnlyTwoToSixtyFourAreAccepted) {
  TWorkerThreadPool a(1, 5);
  EXPECT_EQ(a.MinThreads(), 1);
  EXPECT_EQ(a.MaxThreads(), 5);
  TWorkerThreadPool b(0, 65);
  EXPECT_EQ(b.MinThreads(), 1);
  EXPECT_EQ(b.MaxThreads(), 5);
  TWorkerThreadPool c(2, 64);
  EXPECT_EQ(c.MinThreads(), 2);
  EXPECT_EQ(c.MaxThreads(), 64);
  EXPECT_EQ(c.ThreadCount(), 0);  // no thread before the first job
}

TEST(WorkerPoolScenarios, BackupPoolOfTwoQueuesTheThirdJob) {
  TJobLog log;
  TGate gate;
  TWorkerThreadPool pool(2, 2);
  pool.AddJob(std::make_unique<TGatedJob>(log, 1, &gate));
  EXPECT_EQ(pool.ThreadCount(), 2);  // the minimum adds an idle second thread
  log.WaitFor([](TJobLog& l) { return l.started.size() == 1; });
  EXPECT_EQ(pool.BusyCount(), 1);
  pool.AddJob(std::make_unique<TGatedJob>(log, 2, &gate));
  EXPECT_EQ(pool.BusyCount(), 2);
  pool.AddJob(std::make_unique<TGatedJob>(log, 3, &gate));
  EXPECT_EQ(pool.QueuedCount(), 1);
  EXPECT_EQ(pool.ThreadCount(), 2);
  gate.Open();
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 3; });
}

// Jobs 1 and 2 hold both threads of the pool at their gates; jobs 3 to lastId
// wait in the queue, then at queuedGate.
void FillThreadsAndQueue(TWorkerThreadPool& pool, TJobLog& log, TGate& first, TGate& second,
                         int lastId, TGate* queuedGate) {
  pool.AddJob(std::make_unique<TGatedJob>(log, 1, &first));
  pool.AddJob(std::make_unique<TGatedJob>(log, 2, &second));
  log.WaitFor([](TJobLog& l) { return l.started.size() == 2; });
  for (int id = 3; id <= lastId; ++id)
    pool.AddJob(std::make_unique<TGatedJob>(log, id, queuedGate));
}

// A job that hangs (a network folder that never answers) holds one thread;
// the other runs every queued job, in the order they came.
TEST(WorkerPoolScenarios, QueuedJobsRunInArrivalOrderBesideAHangingJob) {
  TJobLog log;
  TGate hanging;
  TGate second;
  TWorkerThreadPool pool(2, 2);
  FillThreadsAndQueue(pool, log, hanging, second, 6, nullptr);
  EXPECT_EQ(pool.QueuedCount(), 4);
  second.Open();
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 5; });
  std::vector<int> queuedOrder(log.started.begin() + 2, log.started.end());
  EXPECT_EQ(queuedOrder, (std::vector<int>{3, 4, 5, 6}));
  EXPECT_EQ(log.finished, (std::vector<int>{2, 3, 4, 5, 6}));
  EXPECT_EQ(pool.QueuedCount(), 0);
  hanging.Open();
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 6; });
}

// Two threads finishing beside a full queue both go on with it.
TEST(WorkerPoolScenarios, BothThreadsTakeQueuedJobs) {
  TJobLog log;
  TGate first;
  TGate queued;
  TWorkerThreadPool pool(2, 2);
  FillThreadsAndQueue(pool, log, first, first, 5, &queued);
  first.Open();
  log.WaitFor([](TJobLog& l) { return l.started.size() == 4; });
  EXPECT_EQ(pool.BusyCount(), 2);
  EXPECT_EQ(pool.QueuedCount(), 1);
  queued.Open();
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 5; });
}

TEST(WorkerPoolScenarios, MinimumOneMaximumFiveRunsFiveAtOnceThenTrims) {
  TJobLog log;
  TGate gate;
  TWorkerThreadPool pool(1, 5);
  for (int id = 1; id <= 5; ++id) pool.AddJob(std::make_unique<TGatedJob>(log, id, &gate));
  log.WaitFor([](TJobLog& l) { return l.started.size() == 5; });
  EXPECT_EQ(pool.ThreadCount(), 5);
  EXPECT_EQ(pool.BusyCount(), 5);
  gate.Open();
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 5 && l.freed == 5; });
  while (pool.BusyCount() > 0) std::this_thread::yield();
  pool.AddJob(std::make_unique<TGatedJob>(log, 6, nullptr));
  EXPECT_EQ(pool.ThreadCount(), 1);  // idle threads beyond the first are released
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 6; });
}

TEST(WorkerPoolFailures, RaisingJobDoesNotStopItsWorker) {
  TJobLog log;
  TWorkerThreadPool pool(2, 2);
  pool.AddJob(std::make_unique<TGatedJob>(log, 1, nullptr, true));
  log.WaitFor([](TJobLog& l) { return l.freed == 1; });
  while (pool.BusyCount() > 0) std::this_thread::yield();
  pool.AddJob(std::make_unique<TGatedJob>(log, 2, nullptr));
  log.WaitFor([](TJobLog& l) { return l.finished.size() == 2 && l.freed == 2; });
  EXPECT_EQ(log.threads[0], log.threads[1]);  // the first idle thread takes it again
}

TEST(WorkerPoolShutdown, DestructionDropsQueuedAndAwaitsRunningJobs) {
  TJobLog log;
  TGate gate;
  std::atomic<int> pumped{0};
  {
    TWorkerThreadPool pool(2, 2, [&] {
      if (++pumped == 3) gate.Open();  // the running jobs end while messages flow
    });
    pool.AddJob(std::make_unique<TGatedJob>(log, 1, &gate));
    pool.AddJob(std::make_unique<TGatedJob>(log, 2, &gate));
    log.WaitFor([](TJobLog& l) { return l.started.size() == 2; });
    pool.AddJob(std::make_unique<TGatedJob>(log, 3, &gate));
    pool.AddJob(std::make_unique<TGatedJob>(log, 4, &gate));
  }
  EXPECT_GE(pumped.load(), 3);
  EXPECT_EQ(log.started.size(), 2u);
  EXPECT_EQ(log.finished.size(), 2u);
  EXPECT_EQ(log.freed, 4);
}

// A worker told to stop before it first woke up still runs the job it was
// given: the pool counts it as running and waits for it to end.
TEST(WorkerSignals, WorkGivenBeforeAStopIsTakenFirst) {
  TWorkerSignals signals;
  signals.SignalWork();
  signals.SignalStop();
  EXPECT_EQ(signals.Wait(), TWorkerSignals::Work);
  EXPECT_EQ(signals.Wait(), TWorkerSignals::Stop);
}

TEST(WorkerPoolShutdown, AJobGivenJustBeforeTheEndRunsAndTheEndComes) {
  constexpr int kRounds = 300;
  std::atomic<int> runs{0};
  std::atomic<int> freed{0};
  struct TCountingJob final : TWorkerThreadJob {
    TCountingJob(std::atomic<int>& runs, std::atomic<int>& freed) : runs_(runs), freed_(freed) {}
    ~TCountingJob() override { ++freed_; }
    void Run() override { ++runs_; }
    std::atomic<int>& runs_;
    std::atomic<int>& freed_;
  };
  for (int round = 0; round < kRounds; ++round) {
    TWorkerThreadPool pool(2, 2);
    pool.AddJob(std::make_unique<TCountingJob>(runs, freed));
  }
  EXPECT_EQ(runs.load(), kRounds);
  EXPECT_EQ(freed.load(), kRounds);
}

// Workers finishing beside a queue give themselves its next job; a pool that
// ends just then waits for that job instead of for a worker that left.
TEST(WorkerPoolShutdown, TheEndComesWhileWorkersTakeQueuedJobs) {
  constexpr int kRounds = 600;
  std::atomic<int> freed{0};
  struct TFreedJob final : TWorkerThreadJob {
    explicit TFreedJob(std::atomic<int>& freed) : freed_(freed) {}
    ~TFreedJob() override { ++freed_; }
    void Run() override {}
    std::atomic<int>& freed_;
  };
  for (int round = 0; round < kRounds; ++round) {
    TWorkerThreadPool pool(2, 2);
    for (int job = 0; job < 6; ++job) pool.AddJob(std::make_unique<TFreedJob>(freed));
  }
  EXPECT_EQ(freed.load(), 6 * kRounds);
}

TEST(WorkerPoolStress, EveryJobRunsOnceAndIsFreedOnce) {
  constexpr int kJobs = 4000;
  struct TCountingJob final : TWorkerThreadJob {
    TCountingJob(std::vector<std::atomic<int>>& runs, std::atomic<int>& freed, int id)
        : runs_(runs), freed_(freed), id_(id) {}
    ~TCountingJob() override { ++freed_; }
    void Run() override { ++runs_[static_cast<size_t>(id_)]; }
    std::vector<std::atomic<int>>& runs_;
    std::atomic<int>& freed_;
    int id_;
  };
  std::vector<std::atomic<int>> runs(kJobs);
  std::atomic<int> freed{0};
  {
    TWorkerThreadPool pool(2, 2);
    for (int id = 0; id < kJobs; ++id) pool.AddJob(std::make_unique<TCountingJob>(runs, freed, id));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (freed.load() < kJobs && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(freed.load(), kJobs);
  for (int id = 0; id < kJobs; ++id) ASSERT_EQ(runs[static_cast<size_t>(id)].load(), 1) << id;
}

}  // namespace
}  // namespace qv
