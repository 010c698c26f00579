#include <gtest/gtest.h>

#include "WaveDataForms.h"
#include "tray/Sound.h"
#include "ui/UiSeams.h"

namespace qv {
namespace {

class TRecordingPlayer final : public ui::ISoundPlayer {
 public:
  TRecordingPlayer() { ui::SetSoundPlayerForTest(this); }
  ~TRecordingPlayer() override { ui::SetSoundPlayerForTest(nullptr); }
  bool PlayMemory(const void* data, std::size_t size) override {
    played.emplace_back(static_cast<const char*>(data), size);
    events.push_back("play");
    return true;
  }
  std::vector<std::string> played;
  std::vector<std::string> events;
};

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WaveData, StoredFormIsLittleEndianSizeThenBytes) {
  TWaveData data;
  data.Assign(Bytes(std::string(300, 'x') + "RIFF"));
  TMemoryStream stream;
  test::WriteStoredForm(data, stream);
  stream.Seek(0);
  std::string stored = ReadAllBytes(stream);
  ASSERT_EQ(stored.size(), 4u + 304u);
  EXPECT_EQ(stored.substr(0, 4), std::string("\x30\x01\x00\x00", 4));
  EXPECT_EQ(stored.substr(4), std::string(300, 'x') + "RIFF");

  stream.Seek(0);
  TWaveData read;
  test::ReadStoredForm(stream, read);
  EXPECT_EQ(read.Bytes(), data.Bytes());
  EXPECT_EQ(read.Size(), 304u);
}

TEST(WaveData, EmptyDataStoresSizeZero) {
  TWaveData data;
  TMemoryStream stream;
  test::WriteStoredForm(data, stream);
  EXPECT_EQ(stream.Size(), 4u);
  stream.Seek(0);
  TWaveData read;
  read.Assign(Bytes("old"));
  test::ReadStoredForm(stream, read);
  EXPECT_TRUE(read.Empty());
}

TEST(WaveData, StoredFormShorterThanItsSizeIsRefused) {
  for (const std::string& stored :
       {std::string("\x64\x00\x00\x00short", 9), std::string("\x01\x00", 2),
        std::string("\xFF\xFF\xFF\xFF", 4)}) {
    TMemoryStream stream(Bytes(stored));
    TWaveData data;
    data.Assign(Bytes("old"));
    EXPECT_THROW(test::ReadStoredForm(stream, data), test::EWaveData);
    EXPECT_TRUE(data.Empty());
  }
}

TEST(Sound, PlayCallsOnPlayFirstThenPlaysTheBytes) {
  TRecordingPlayer player;
  TSound wave;
  wave.Data.Assign(Bytes("RIFF....WAVE"));
  wave.OnPlay = [&](TSound& w) {
    EXPECT_EQ(&w, &wave);
    player.events.push_back("OnPlay");
  };
  wave.Play();
  EXPECT_EQ(player.events, (std::vector<std::string>{"OnPlay", "play"}));
  EXPECT_EQ(player.played, std::vector<std::string>{"RIFF....WAVE"});
}

TEST(Sound, EmptyDataPlaysNothing) {
  TRecordingPlayer player;
  TSound wave;
  int onPlay = 0;
  wave.OnPlay = [&](TSound&) { ++onPlay; };
  wave.Play();
  EXPECT_EQ(onPlay, 1);
  EXPECT_TRUE(player.played.empty());
}

}  // namespace
}  // namespace qv
