#pragma once
// Seams of the user interface that record instead of acting, installed for
// the lifetime of the object.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ui/UiSeams.h"

namespace qv::test {

class TRecordingLinkOpener final : public ui::ILinkOpener {
 public:
  TRecordingLinkOpener() { ui::SetLinkOpenerForTest(this); }
  ~TRecordingLinkOpener() override { ui::SetLinkOpenerForTest(nullptr); }
  TRecordingLinkOpener(const TRecordingLinkOpener&) = delete;
  TRecordingLinkOpener& operator=(const TRecordingLinkOpener&) = delete;
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  std::vector<std::string> opened;
};

class TRecordingSoundPlayer final : public ui::ISoundPlayer {
 public:
  TRecordingSoundPlayer() { ui::SetSoundPlayerForTest(this); }
  ~TRecordingSoundPlayer() override { ui::SetSoundPlayerForTest(nullptr); }
  TRecordingSoundPlayer(const TRecordingSoundPlayer&) = delete;
  TRecordingSoundPlayer& operator=(const TRecordingSoundPlayer&) = delete;
  bool PlayMemory(const void* data, std::size_t size) override {
    played.emplace_back(static_cast<const char*>(data), size);
    if (WhilePlaying) WhilePlaying();
    return true;
  }
  std::vector<std::string> played;
  std::function<void()> WhilePlaying;  // what the user does as the sound plays
};

class TFakeTaskbar final : public ui::ITaskbar {
 public:
  TFakeTaskbar(TTaskbarEdge edge, int height) : edge_(edge), height_(height) {
    ui::SetTaskbarForTest(this);
  }
  ~TFakeTaskbar() override { ui::SetTaskbarForTest(nullptr); }
  TFakeTaskbar(const TFakeTaskbar&) = delete;
  TFakeTaskbar& operator=(const TFakeTaskbar&) = delete;
  TTaskbarEdge Edge() override { return edge_; }
  int Height() override { return height_; }

 private:
  TTaskbarEdge edge_;
  int height_;
};

}  // namespace qv::test
