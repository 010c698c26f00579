#pragma once
// All archive output passes through a 1 MiB buffer; seeking back into the
// buffered range only moves within the buffer, so a small entry's local
// header is patched in memory.
#include <cstdint>
#include <vector>

#include "util/Stream.h"

namespace qv {

class TBufferedWriter {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;

  explicit TBufferedWriter(IStream& stream);
  // Flushes, ignoring a failure of that flush.
  ~TBufferedWriter();
  TBufferedWriter(const TBufferedWriter&) = delete;
  TBufferedWriter& operator=(const TBufferedWriter&) = delete;

  void Write(const void* buffer, std::size_t count);
  std::uint64_t Position() const { return streamPosition_ + offset_; }
  void Seek(std::uint64_t target);
  void FlushBuffer();
  // Releases the buffer without flushing (after an explicit flush).
  void Abandon() { abandoned_ = true; }

 private:
  IStream& stream_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t streamPosition_;
  std::size_t offset_ = 0;
  std::size_t fill_ = 0;
  bool abandoned_ = false;
};

}  // namespace qv
