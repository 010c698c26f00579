#include "zip/CompressionPool.h"

#include <algorithm>

namespace qv {

TCompressionPool::TCompressionPool(unsigned threads) {
  threads = std::max(1u, threads);
  for (unsigned i = 0; i < threads; ++i) {
    try {
      threads_.emplace_back([this] { Serve(); });
    } catch (...) {
      // Fewer threads only compress slower; with none the archive fails.
      // Thrown with threads running, the constructor would end the program.
      if (!threads_.empty()) return;
      throw;
    }
  }
}

TCompressionPool::~TCompressionPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TCompressionPool::Submit(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void TCompressionPool::Serve() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

TCompressionPool& SharedCompressionPool() {
  static TCompressionPool pool(std::thread::hardware_concurrency());
  return pool;
}

}  // namespace qv
