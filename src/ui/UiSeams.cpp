#include "ui/UiSeams.h"

#include <atomic>

namespace qv::ui {
namespace {

std::atomic<ILinkOpener*> gLinkOpener{nullptr};
std::atomic<ISoundPlayer*> gSoundPlayer{nullptr};
std::atomic<ITaskbar*> gTaskbar{nullptr};

}  // namespace

ILinkOpener& LinkOpener() {
  ILinkOpener* s = gLinkOpener.load();
  return s ? *s : SystemLinkOpener();
}

ISoundPlayer& SoundPlayer() {
  ISoundPlayer* p = gSoundPlayer.load();
  return p ? *p : SystemSoundPlayer();
}

ITaskbar& Taskbar() {
  ITaskbar* t = gTaskbar.load();
  return t ? *t : SystemTaskbar();
}

void SetLinkOpenerForTest(ILinkOpener* shell) { gLinkOpener = shell; }
void SetSoundPlayerForTest(ISoundPlayer* player) { gSoundPlayer = player; }
void SetTaskbarForTest(ITaskbar* taskbar) { gTaskbar = taskbar; }

}  // namespace qv::ui
