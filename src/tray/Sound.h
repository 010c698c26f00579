#pragma once
// Sounds held inside the program as complete WAVE files and played from
// memory, asynchronously, through the sound seam.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace qv {

class TWaveData {
 public:
  std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  bool Empty() const { return bytes_.empty(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  void Assign(std::vector<std::uint8_t> bytes) { bytes_ = std::move(bytes); }
  void Clear() { bytes_.clear(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

class TSound {
 public:
  TWaveData Data;
  std::function<void(TSound&)> OnPlay;

  // Calls OnPlay, then hands the bytes to the sound player; returns at once,
  // a new play replaces a sound still playing. Empty data plays nothing.
  void Play();
};

// The error sound played at the end of a run with errors, from the program's
// resources; empty when the program carries none.
TSound LoadErrorSound();

}  // namespace qv
