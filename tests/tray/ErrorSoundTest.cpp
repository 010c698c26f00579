#include <gtest/gtest.h>
#include <windows.h>

#include "WaveDataForms.h"
#include "WinTestSupport.h"
#include "tray/Sound.h"

namespace qv {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::string Tag(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at) + 4);
}

TEST(ErrorSound, EmbeddedSoundIsMonoPcm22050Hz16BitOf53864Bytes) {
  TSound wave = LoadErrorSound();
  const auto& b = wave.Data.Bytes();
  ASSERT_EQ(b.size(), 53864u);
  EXPECT_EQ(Tag(b, 0), "RIFF");
  EXPECT_EQ(U32(b, 4), 53864u - 8);
  EXPECT_EQ(Tag(b, 8), "WAVE");
  // Chunks after the form type: find "fmt " and "data" wherever they stand.
  std::size_t at = 12;
  bool sawFormat = false;
  std::uint32_t dataSize = 0;
  while (at + 8 <= b.size()) {
    std::string tag = Tag(b, at);
    std::uint32_t size = U32(b, at + 4);
    if (tag == "fmt ") {
      sawFormat = true;
      EXPECT_EQ(U16(b, at + 8), 1);        // PCM
      EXPECT_EQ(U16(b, at + 10), 1);       // mono
      EXPECT_EQ(U32(b, at + 12), 22050u);  // samples per second
      EXPECT_EQ(U32(b, at + 16), 44100u);  // bytes per second
      EXPECT_EQ(U16(b, at + 20), 2);       // block align
      EXPECT_EQ(U16(b, at + 22), 16);      // bits
    } else if (tag == "data") {
      dataSize = size;
      EXPECT_EQ(at + 8 + size, b.size());
    }
    at += 8 + size + (size & 1);
  }
  EXPECT_TRUE(sawFormat);
  EXPECT_EQ(dataSize % 2, 0u);
  EXPECT_GT(dataSize, 22050u);  // more than half a second of sound
}

TEST(ErrorSound, IsAudibleAndDoesNotClip) {
  TSound wave = LoadErrorSound();
  const auto& b = wave.Data.Bytes();
  ASSERT_GT(b.size(), 44u);
  int peak = 0;
  int atFullScale = 0;
  for (std::size_t i = 44; i + 1 < b.size(); i += 2) {
    int sample = static_cast<std::int16_t>(U16(b, i));
    peak = std::max(peak, std::abs(sample));
    if (sample == 32767 || sample == -32768) ++atFullScale;
  }
  EXPECT_GT(peak, 8000);
  EXPECT_EQ(atFullScale, 0);
}

TEST(WaveData, LoadsAWholeFileAndNothingWhenItIsMissing) {
  test::TTempDir dir;
  std::string bytes = "RIFF";
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
  test::WriteBytes(dir / "Klang.wav", bytes);
  TWaveData data = test::LoadWaveFile(dir / "Klang.wav");
  EXPECT_EQ(std::string(data.Bytes().begin(), data.Bytes().end()), bytes);
  data = test::LoadWaveFile(dir / "fehlt.wav");
  EXPECT_TRUE(data.Empty());
}

}  // namespace
}  // namespace qv
