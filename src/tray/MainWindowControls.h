#pragma once
// The main window's controls, each by what it is.
#include <windows.h>

namespace qv {

struct TMainWindowControls {
  HWND mainPanel = nullptr;  // everything below but the run's status; hidden during a run
  HWND programIconView = nullptr;
  HWND titleLabel = nullptr;
  HWND databaseList = nullptr;
  HWND hoursCombo = nullptr;  // the checked backup hours
  HWND targetEdit = nullptr;  // the target directory, red when it is missing
  HWND targetBrowseButton = nullptr;
  HWND runNowButton = nullptr;
  HWND protocolButton = nullptr;
  HWND runStatusPanel = nullptr;  // shown over the greyed picture during a run
  HWND runStatusText = nullptr;
  HWND shrinkButton = nullptr;
  HWND greyedSnapshot = nullptr;  // the window's face, greyed, during a run
};

}  // namespace qv
