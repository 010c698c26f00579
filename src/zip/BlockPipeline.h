#pragma once
// Blocks on their way through the compression pool, given back strictly in
// the order they came in. At most a fixed number are in flight, which bounds
// the memory an archive needs whatever the size of its files.
#include <cstddef>
#include <deque>
#include <memory>

#include "zip/CompressionPool.h"
#include "zip/DeflateBlock.h"

namespace qv {

class TBlockPipeline {
 public:
  TBlockPipeline(TCompressionPool& pool, std::size_t maxInFlight);
  // Waits for the blocks still being compressed.
  ~TBlockPipeline();
  TBlockPipeline(const TBlockPipeline&) = delete;
  TBlockPipeline& operator=(const TBlockPipeline&) = delete;

  // When full, the caller takes the oldest block before submitting more.
  bool Full() const { return slots_.size() >= maxInFlight_; }
  bool Empty() const { return slots_.empty(); }
  void Submit(std::unique_ptr<TDeflateBlock> block);
  // Waits until the oldest block is compressed and hands it over.
  std::unique_ptr<TDeflateBlock> TakeOldest();
  // Drops every block, once the pool is done with them.
  void Discard();

 private:
  struct TShared;
  struct TSlot;

  TCompressionPool& pool_;
  std::size_t maxInFlight_;
  std::shared_ptr<TShared> shared_;
  std::deque<std::shared_ptr<TSlot>> slots_;
};

}  // namespace qv
