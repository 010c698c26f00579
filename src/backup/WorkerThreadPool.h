#pragma once
// A small pool that runs job objects on worker threads in first-in-first-out
// order and owns them: a worker frees its job after running it, the pool
// frees the jobs it drops. Portable (std::thread); the caller supplies the
// message pump that runs while StopAll waits for busy workers.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qv {

class TWorkerThreadJob {
 public:
  virtual ~TWorkerThreadJob() = default;
  virtual void Run() = 0;
};

using TJobPtr = std::unique_ptr<TWorkerThreadJob>;

// Container with a fixed order of leaving; the pool's queue is a TQueue.
class TOrderedList {
 public:
  virtual ~TOrderedList() = default;
  virtual void Store(TJobPtr job) = 0;
  virtual TJobPtr Take();
  virtual TWorkerThreadJob* NextOut();
  bool HasAtLeast(std::size_t n) const { return items_.size() >= n; }
  std::size_t Count() const { return items_.size(); }

 protected:
  std::deque<TJobPtr> items_;
};

// First in, first out: stored at the front, taken from the back.
class TQueue final : public TOrderedList {
 public:
  void Store(TJobPtr job) override { items_.push_front(std::move(job)); }
};

// Two auto-reset signals a worker sleeps on; work given before a stop is
// taken first, the stop at the next wait.
class TWorkerSignals {
 public:
  enum TWake { Stop, Work };
  void SignalWork() { Signal(&TWorkerSignals::work_); }
  void SignalStop() { Signal(&TWorkerSignals::stop_); }
  TWake Wait();

 private:
  void Signal(bool TWorkerSignals::*flag);
  std::mutex lock_;
  std::condition_variable changed_;
  bool work_ = false;
  bool stop_ = false;
};

class TThreadPool;

class TWorkerThread {
 public:
  explicit TWorkerThread(TThreadPool& pool);
  ~TWorkerThread();  // stops the thread, waits for it, frees a job it still holds
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;

  bool Busy() const;
  void Assign(TJobPtr job);  // under the pool lock
  void Stop();

 private:
  friend class TThreadPool;
  void Execute();
  bool TerminatedFlag() const;
  void SetIdle();

  TThreadPool& pool_;
  mutable std::mutex stateLock_;
  std::condition_variable idle_;
  bool busy_ = false;
  bool terminated_ = false;
  TJobPtr job_;
  TWorkerSignals signals_;
  std::thread thread_;
};

class TThreadPool {
 public:
  using TMessagePump = std::function<void()>;

  explicit TThreadPool(TMessagePump pump = {});
  virtual ~TThreadPool();
  TThreadPool(const TThreadPool&) = delete;
  TThreadPool& operator=(const TThreadPool&) = delete;

  // Bounds accept 2..64 only; other values leave the bound as it is.
  void SetMinThreads(int value);
  void SetMaxThreads(int value);
  int MinThreads() const { return minThreads_; }
  int MaxThreads() const { return maxThreads_; }

  void AddJob(TJobPtr job);
  // Drops queued jobs, then waits for running ones while pumping messages.
  void StopAll();

  int ThreadCount() const;
  int BusyCount() const;
  int QueuedCount() const;

 protected:
  virtual std::unique_ptr<TWorkerThread> CreateWorker();

 private:
  friend class TWorkerThread;
  TWorkerThread* IdleThread();
  TWorkerThread* AddWorker();
  void FinishJob(TWorkerThread& worker);
  // Under the pool lock; true when the finishing worker took the job itself.
  bool HandOverQueuedWork(TWorkerThread& finishing);

  std::vector<std::unique_ptr<TWorkerThread>> threads_;
  TQueue queue_;
  int minThreads_ = 1;
  int maxThreads_ = 5;
  bool stopping_ = false;
  mutable std::mutex lock_;
  TMessagePump pump_;
};

class TWorkerThreadPool : public TThreadPool {
 public:
  TWorkerThreadPool(int minimum, int maximum, TMessagePump pump = {});
};

}  // namespace qv
