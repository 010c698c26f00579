#pragma once
// What the user asks of the main window: the tray icon's menu, its click and
// the window's buttons, each to the action it stands for.
#include <windows.h>

#include <memory>

#include "ui/controls/OwnerMenu.h"

namespace qv {

class TMainWindow;

class TMainWindowCommands {
 public:
  // Builds the tray menu at the window's DPI, with the glyph of "Ausführen".
  TMainWindowCommands(TMainWindow& window, HICON runNowGlyph);

  ui::TOwnerMenu& TrayMenu() { return *trayMenu_; }
  // A menu item or a control's notification (WM_COMMAND).
  void Execute(WORD id, WORD code);
  void DpiChanged(int dpi, HICON runNowGlyph);

  // The menu's items can be chosen only while the window is hidden and no run is on.
  void UpdateTrayMenuItems();
  bool ShowAllowed() const;
  void OnTrayIconClick();
  // Shows the tray menu at the cursor (modal until it closes).
  void ShowTrayMenu();

  void OpenProtocolPage();

 private:
  void RunNowFromMenu();
  void ExploreSelectedDatabase();
  void RequestExit();

  TMainWindow& window_;
  std::unique_ptr<ui::TOwnerMenu> trayMenu_;
};

}  // namespace qv
