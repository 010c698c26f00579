#pragma once
// The threads that compress archive blocks. One pool serves the whole
// process, with as many threads as the machine has cores, so jobs that write
// archives at the same time never run more compressions than cores.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qv {

class TCompressionPool {
 public:
  explicit TCompressionPool(unsigned threads);
  // Runs the tasks still queued, then ends the threads.
  ~TCompressionPool();
  TCompressionPool(const TCompressionPool&) = delete;
  TCompressionPool& operator=(const TCompressionPool&) = delete;

  // The task must not throw.
  void Submit(std::function<void()> task);
  unsigned Threads() const { return static_cast<unsigned>(threads_.size()); }

 private:
  void Serve();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// The process's pool, made on first use.
TCompressionPool& SharedCompressionPool();

}  // namespace qv
