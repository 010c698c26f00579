#include "zip/BufferedWriter.h"

#include <algorithm>
#include <cstring>

namespace qv {

TBufferedWriter::TBufferedWriter(IStream& stream)
    : stream_(stream), buffer_(kBufferSize), streamPosition_(stream.Position()) {}

TBufferedWriter::~TBufferedWriter() {
  if (abandoned_) return;
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void TBufferedWriter::Write(const void* data, std::size_t count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (count > 0) {
    if (offset_ == buffer_.size()) FlushBuffer();
    std::size_t n = std::min(count, buffer_.size() - offset_);
    std::memcpy(buffer_.data() + offset_, p, n);
    offset_ += n;
    fill_ = std::max(fill_, offset_);
    p += n;
    count -= n;
  }
}

void TBufferedWriter::Seek(std::uint64_t target) {
  if (target >= streamPosition_ && target <= streamPosition_ + fill_) {
    offset_ = static_cast<std::size_t>(target - streamPosition_);
    return;
  }
  FlushBuffer();
  stream_.Seek(target);
  streamPosition_ = target;
}

void TBufferedWriter::FlushBuffer() {
  if (fill_ > 0) stream_.Write(buffer_.data(), fill_);
  streamPosition_ += fill_;
  offset_ = fill_ = 0;
}

}  // namespace qv
