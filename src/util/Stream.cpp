#include "util/Stream.h"

#include <algorithm>
#include <cstring>

namespace qv {

std::string ReadAllBytes(IStream& stream) {
  std::string bytes;
  char chunk[65536];
  for (std::size_t n; (n = stream.Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
  return bytes;
}

std::size_t ReadFully(IStream& stream, void* buffer, std::size_t count) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    std::size_t n = stream.Read(bytes + done, count - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= bytes_.size()) return 0;
  std::size_t n = std::min<std::size_t>(count, bytes_.size() - static_cast<std::size_t>(position_));
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return;
  std::size_t end = static_cast<std::size_t>(position_) + count;
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ = end;
}

}  // namespace qv
