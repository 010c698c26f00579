#pragma once
// Process-wide seams of the user interface that tests replace: the shell that
// opens link targets, the sound player and the taskbar the popup rests on.
#include <cstddef>
#include <string>

#include "util/Seams.h"

namespace qv::ui {

class ILinkOpener {
 public:
  virtual ~ILinkOpener() = default;
  // Opens a file, folder or URL with the shell verb "open".
  virtual bool Open(const std::string& target) = 0;
};

class ISoundPlayer {
 public:
  virtual ~ISoundPlayer() = default;
  // Plays a complete WAVE file from memory, asynchronously, without a default sound.
  virtual bool PlayMemory(const void* data, std::size_t size) = 0;
};

class ITaskbar {
 public:
  virtual ~ITaskbar() = default;
  virtual TTaskbarEdge Edge() = 0;
  // Height of the taskbar window's rectangle, 0 without one.
  virtual int Height() = 0;
};

ILinkOpener& LinkOpener();
ISoundPlayer& SoundPlayer();
ITaskbar& Taskbar();

// Test hooks: nullptr restores the real implementation.
void SetLinkOpenerForTest(ILinkOpener* shell);
void SetSoundPlayerForTest(ISoundPlayer* player);
void SetTaskbarForTest(ITaskbar* taskbar);

// The platform's own implementations.
ILinkOpener& SystemLinkOpener();
ISoundPlayer& SystemSoundPlayer();
ITaskbar& SystemTaskbar();

}  // namespace qv::ui
