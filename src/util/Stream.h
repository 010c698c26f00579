#pragma once
// A byte stream as the pure core sees files: the ZIP writer writes to one,
// the table engine reads through one.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv {

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kStreamWriteError[] = "Stream-Write-Fehler";

class IStream {
 public:
  virtual ~IStream() = default;
  // Reads up to count bytes; 0 at the end. A failing read raises.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes all bytes or raises EStreamError("Stream-Write-Fehler").
  virtual void Write(const void* buffer, std::size_t count) = 0;
  virtual void Seek(std::uint64_t position) = 0;
  virtual std::uint64_t Position() const = 0;
  virtual std::uint64_t Size() const = 0;
  // Makes the written bytes durable; raises when the system reports that an
  // earlier write did not reach the disk (a network share gone, a full disk).
  virtual void Flush() {}
};

// The rest of the stream from its current position.
std::string ReadAllBytes(IStream& stream);
// Reads until count bytes are in or the stream ends; how many came.
std::size_t ReadFully(IStream& stream, void* buffer, std::size_t count);

class TMemoryStream final : public IStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* buffer, std::size_t count) override;
  void Seek(std::uint64_t position) override { position_ = position; }
  std::uint64_t Position() const override { return position_; }
  std::uint64_t Size() const override { return bytes_.size(); }

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t position_ = 0;
};

}  // namespace qv
