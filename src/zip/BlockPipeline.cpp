#include "zip/BlockPipeline.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace qv {

struct TBlockPipeline::TShared {
  std::mutex Mutex;
  std::condition_variable Done;
};

struct TBlockPipeline::TSlot {
  std::unique_ptr<TDeflateBlock> Block;
  bool Compressed = false;  // guarded by TShared::Mutex
};

TBlockPipeline::TBlockPipeline(TCompressionPool& pool, std::size_t maxInFlight)
    : pool_(pool),
      maxInFlight_(std::max<std::size_t>(1, maxInFlight)),
      shared_(std::make_shared<TShared>()) {}

TBlockPipeline::~TBlockPipeline() { Discard(); }

void TBlockPipeline::Submit(std::unique_ptr<TDeflateBlock> block) {
  auto slot = std::make_shared<TSlot>();
  slot->Block = std::move(block);
  // The task holds what it touches, so nothing it uses can go away under it.
  pool_.Submit([shared = shared_, slot] {
    CompressBlock(*slot->Block);
    {
      std::lock_guard<std::mutex> lock(shared->Mutex);
      slot->Compressed = true;
    }
    shared->Done.notify_all();
  });
  // Only a block the pool took is waited for: one that it could not take
  // (out of memory) would be waited for forever.
  slots_.push_back(std::move(slot));
}

std::unique_ptr<TDeflateBlock> TBlockPipeline::TakeOldest() {
  std::shared_ptr<TSlot> slot = slots_.front();
  slots_.pop_front();
  std::unique_lock<std::mutex> lock(shared_->Mutex);
  shared_->Done.wait(lock, [&] { return slot->Compressed; });
  return std::move(slot->Block);
}

void TBlockPipeline::Discard() {
  while (!slots_.empty()) TakeOldest();
}

}  // namespace qv
