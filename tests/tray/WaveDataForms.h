#pragma once
// Other forms of a sound's bytes than the program's resource: the stored
// form "Data" (the 32-bit little-endian size, then the bytes) and a whole
// WAVE file. The program itself only plays its embedded sound.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tray/Sound.h"
#include "util/Stream.h"

namespace qv::test {

class EWaveData : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kWaveDataDamaged[] =
    "Klangdaten sind besch\xC3\xA4"
    "digt";

// A stored form shorter than its size raises EWaveData and leaves the data empty.
inline void ReadStoredForm(IStream& stream, TWaveData& data) {
  data.Clear();
  std::uint8_t header[4] = {};
  if (stream.Read(header, 4) != 4) throw EWaveData(kWaveDataDamaged);
  std::uint32_t size = header[0] | (header[1] << 8) | (header[2] << 16) |
                       (static_cast<std::uint32_t>(header[3]) << 24);
  if (size > stream.Size() - stream.Position()) throw EWaveData(kWaveDataDamaged);
  std::vector<std::uint8_t> bytes(size);
  if (ReadFully(stream, bytes.data(), size) != size) throw EWaveData(kWaveDataDamaged);
  data.Assign(std::move(bytes));
}

inline void WriteStoredForm(const TWaveData& data, IStream& stream) {
  std::uint32_t size = data.Size();
  std::uint8_t header[4] = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                            static_cast<std::uint8_t>(size >> 16),
                            static_cast<std::uint8_t>(size >> 24)};
  stream.Write(header, 4);
  if (size > 0) stream.Write(data.Bytes().data(), size);
}

// The whole file when it can be read, else empty.
inline TWaveData LoadWaveFile(const std::string& path) {
  TWaveData data;
  std::ifstream file(path, std::ios::binary);
  if (file) data.Assign({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
  return data;
}

}  // namespace qv::test
