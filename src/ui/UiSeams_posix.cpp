#include "ui/UiSeams.h"

namespace qv::ui {
namespace {

// Without a Windows shell there is nothing to open, play or rest on.
class TNoLinkOpener final : public ILinkOpener {
 public:
  bool Open(const std::string&) override { return false; }
};

class TNoSoundPlayer final : public ISoundPlayer {
 public:
  bool PlayMemory(const void*, std::size_t) override { return false; }
};

class TNoTaskbar final : public ITaskbar {
 public:
  TTaskbarEdge Edge() override { return TTaskbarEdge::Unknown; }
  int Height() override { return 0; }
};

}  // namespace

ILinkOpener& SystemLinkOpener() {
  static TNoLinkOpener shell;
  return shell;
}

ISoundPlayer& SystemSoundPlayer() {
  static TNoSoundPlayer player;
  return player;
}

ITaskbar& SystemTaskbar() {
  static TNoTaskbar taskbar;
  return taskbar;
}

}  // namespace qv::ui
