#include "backup/WorkerThreadPool.h"

#include <chrono>

namespace qv {

// --- TOrderedList -------------------------------------------------------------

TJobPtr TOrderedList::Take() {
  if (items_.empty()) return nullptr;
  TJobPtr job = std::move(items_.back());
  items_.pop_back();
  return job;
}

TWorkerThreadJob* TOrderedList::NextOut() { return items_.empty() ? nullptr : items_.back().get(); }

// --- TWorkerSignals -----------------------------------------------------------

void TWorkerSignals::Signal(bool TWorkerSignals::*flag) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    this->*flag = true;
  }
  changed_.notify_one();
}

TWorkerSignals::TWake TWorkerSignals::Wait() {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [&] { return stop_ || work_; });
  // Work comes first: a job given to this worker counts as running, and the
  // pool's end waits for it; dropped here, that end would wait forever.
  if (work_) {
    work_ = false;
    return Work;
  }
  stop_ = false;
  return Stop;
}

// --- TWorkerThread ------------------------------------------------------------

TWorkerThread::TWorkerThread(TThreadPool& pool) : pool_(pool), thread_([this] { Execute(); }) {}

TWorkerThread::~TWorkerThread() {
  Stop();
  if (thread_.joinable()) thread_.join();
  job_.reset();
}

bool TWorkerThread::Busy() const {
  std::lock_guard<std::mutex> guard(stateLock_);
  return busy_;
}

void TWorkerThread::Assign(TJobPtr job) {
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    job_ = std::move(job);
    busy_ = true;
  }
  signals_.SignalWork();
}

bool TWorkerThread::TerminatedFlag() const {
  std::lock_guard<std::mutex> guard(stateLock_);
  return terminated_;
}

void TWorkerThread::SetIdle() {
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    busy_ = false;
  }
  idle_.notify_all();
}

void TWorkerThread::Stop() {
  {
    std::lock_guard<std::mutex> guard(stateLock_);
    terminated_ = true;
  }
  signals_.SignalStop();
}

void TWorkerThread::Execute() {
  for (;;) {
    TWorkerSignals::TWake wake = signals_.Wait();
    if (wake == TWorkerSignals::Work) {
      TJobPtr job;
      {
        std::lock_guard<std::mutex> guard(stateLock_);
        job = std::move(job_);
      }
      try {
        if (job) job->Run();
      } catch (...) {
        // Jobs report their own failures; the worker goes on.
      }
      job.reset();
      pool_.FinishJob(*this);
    }
    // A job this worker gave itself on finishing runs even when a stop came
    // meanwhile: the pool's end waits for it.
    std::lock_guard<std::mutex> guard(stateLock_);
    if (wake == TWorkerSignals::Stop || (terminated_ && !busy_)) return;
  }
}

// --- TThreadPool ----------------------------------------------------------------

TThreadPool::TThreadPool(TMessagePump pump) : pump_(std::move(pump)) {}

TThreadPool::~TThreadPool() { StopAll(); }

void TThreadPool::SetMinThreads(int value) {
  if (value >= 2 && value <= 64) minThreads_ = value;
}

void TThreadPool::SetMaxThreads(int value) {
  if (value >= 2 && value <= 64) maxThreads_ = value;
}

std::unique_ptr<TWorkerThread> TThreadPool::CreateWorker() {
  return std::make_unique<TWorkerThread>(*this);
}

TWorkerThread* TThreadPool::AddWorker() {
  threads_.push_back(CreateWorker());
  return threads_.back().get();
}

TWorkerThread* TThreadPool::IdleThread() {
  for (auto& thread : threads_)
    if (!thread->Busy()) return thread.get();
  return nullptr;
}

void TThreadPool::AddJob(TJobPtr job) {
  std::lock_guard<std::mutex> guard(lock_);
  if (stopping_) return;  // a pool that is shutting down frees new work at once
  TWorkerThread* thread = IdleThread();
  if (!thread && static_cast<int>(threads_.size()) < maxThreads_) thread = AddWorker();
  if (thread)
    thread->Assign(std::move(job));
  else
    queue_.Store(std::move(job));
  while (static_cast<int>(threads_.size()) < minThreads_) AddWorker();
  // Idle threads beyond the minimum are released; the first ones stay.
  for (int i = static_cast<int>(threads_.size()) - 1; i >= minThreads_; --i) {
    if (threads_[static_cast<size_t>(i)]->Busy()) continue;
    threads_.erase(threads_.begin() + i);
  }
}

// The finishing worker hands queued work on and becomes idle in one step
// under the pool lock. Were the two apart, two workers finishing together
// could each see the other still busy and leave the queue with nobody to run
// it, and the run would never end.
void TThreadPool::FinishJob(TWorkerThread& worker) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!worker.TerminatedFlag() && HandOverQueuedWork(worker)) return;
  worker.SetIdle();
}

bool TThreadPool::HandOverQueuedWork(TWorkerThread& finishing) {
  if (stopping_ || !queue_.HasAtLeast(1)) return false;
  TWorkerThread* thread = IdleThread();  // the finishing one is still busy
  if (!thread && static_cast<int>(threads_.size()) < maxThreads_) thread = AddWorker();
  // With every other thread busy the finishing one runs the next job itself:
  // left idle, the queue would wait for a job that may run for hours (a
  // network folder that does not answer) while a thread stands free.
  if (!thread) thread = &finishing;
  thread->Assign(queue_.Take());
  return thread == &finishing;
}

void TThreadPool::StopAll() {
  std::vector<TWorkerThread*> threads;
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
    while (queue_.HasAtLeast(1)) queue_.Take();
    for (auto& thread : threads_) threads.push_back(thread.get());
  }
  // Wait without the pool lock: a finishing worker takes it for its hand-over.
  for (TWorkerThread* thread : threads) {
    thread->Stop();
    for (;;) {
      if (pump_) pump_();
      std::unique_lock<std::mutex> guard(thread->stateLock_);
      if (!thread->busy_) break;
      thread->idle_.wait_for(guard, std::chrono::milliseconds(10));
      if (!thread->busy_) break;
    }
  }
  std::vector<std::unique_ptr<TWorkerThread>> released;
  {
    std::lock_guard<std::mutex> guard(lock_);
    released.swap(threads_);
  }
  released.clear();  // joins every thread, front to back
  std::lock_guard<std::mutex> guard(lock_);
  stopping_ = false;
}

int TThreadPool::ThreadCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(threads_.size());
}

int TThreadPool::BusyCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  int busy = 0;
  for (const auto& thread : threads_) busy += thread->Busy() ? 1 : 0;
  return busy;
}

int TThreadPool::QueuedCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(queue_.Count());
}

// --- TWorkerThreadPool -------------------------------------------------------------

TWorkerThreadPool::TWorkerThreadPool(int minimum, int maximum, TMessagePump pump)
    : TThreadPool(std::move(pump)) {
  SetMinThreads(minimum);
  SetMaxThreads(maximum);
}

}  // namespace qv
