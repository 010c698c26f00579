#include "tray/Sound.h"

#include "ui/UiSeams.h"

namespace qv {

void TWaveData::ReadData(IStream& stream) {
  bytes_.clear();
  std::uint8_t header[4] = {};
  if (stream.Read(header, 4) != 4) throw EWaveData(kWaveDataDamaged);
  std::uint32_t size = header[0] | (header[1] << 8) | (header[2] << 16) |
                       (static_cast<std::uint32_t>(header[3]) << 24);
  if (size > stream.Size() - stream.Position()) throw EWaveData(kWaveDataDamaged);
  std::vector<std::uint8_t> bytes(size);
  std::size_t done = 0;
  while (done < size) {
    std::size_t n = stream.Read(bytes.data() + done, size - done);
    if (n == 0) throw EWaveData(kWaveDataDamaged);
    done += n;
  }
  bytes_ = std::move(bytes);
}

void TWaveData::WriteData(IStream& stream) const {
  std::uint32_t size = Size();
  std::uint8_t header[4] = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                            static_cast<std::uint8_t>(size >> 16),
                            static_cast<std::uint8_t>(size >> 24)};
  stream.Write(header, 4);
  if (size > 0) stream.Write(bytes_.data(), size);
}

void TSound::Play() {
  if (OnPlay) OnPlay(*this);
  if (!Data.Empty()) ui::SoundPlayer().PlayMemory(Data.Bytes().data(), Data.Size());
}

}  // namespace qv
