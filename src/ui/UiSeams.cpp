#include "ui/UiSeams.h"

#include <atomic>

namespace qv::ui {
namespace {

std::atomic<IShell*> gShell{nullptr};
std::atomic<ISoundPlayer*> gSoundPlayer{nullptr};
std::atomic<ITaskbar*> gTaskbar{nullptr};

}  // namespace

IShell& Shell() {
  IShell* s = gShell.load();
  return s ? *s : SystemShell();
}

ISoundPlayer& SoundPlayer() {
  ISoundPlayer* p = gSoundPlayer.load();
  return p ? *p : SystemSoundPlayer();
}

ITaskbar& Taskbar() {
  ITaskbar* t = gTaskbar.load();
  return t ? *t : SystemTaskbar();
}

void SetShellForTest(IShell* shell) { gShell = shell; }
void SetSoundPlayerForTest(ISoundPlayer* player) { gSoundPlayer = player; }
void SetTaskbarForTest(ITaskbar* taskbar) { gTaskbar = taskbar; }

}  // namespace qv::ui
