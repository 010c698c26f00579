#include "tray/MainWindowCommands.h"

#include <cstdint>
#include <exception>
#include <string>

#include "app/Protocol.h"
#include "app/RunSettings.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindow.h"
#include "ui/controls/CheckListCombo.h"
#include "util/WinText.h"

namespace qv {

TMainWindowCommands::TMainWindowCommands(TMainWindow& window, HICON runNowGlyph)
    : window_(window), trayMenu_(std::make_unique<ui::TOwnerMenu>(L"Quorvel")) {
  trayMenu_->SetDpi(window_.Dpi());
  trayMenu_->AddItem(ID_MENU_PROTOCOL, L"Protokoll und Hilfe");
  trayMenu_->AddItem(ID_MENU_RUN_NOW, L"Ausführen", runNowGlyph);
  trayMenu_->AddItem(ID_MENU_SHOW, L"Fenster zeigen");
  trayMenu_->AddSeparator();
  trayMenu_->AddItem(ID_MENU_EXIT, L"Beenden");
  trayMenu_->AddItem(ID_MENU_VERSION, Widen("Version " + FileVersionText()));
  trayMenu_->Enable(ID_MENU_VERSION, false);
}

void TMainWindowCommands::Execute(WORD id, WORD code) {
  switch (id) {
    case ID_MENU_PROTOCOL:
    case ID_PROTOCOL_BUTTON:
      return OpenProtocolPage();
    case ID_MENU_RUN_NOW:
      return RunNowFromMenu();
    case ID_MENU_SHOW:
      return window_.ShowOnRequest();
    case ID_MENU_EXIT:
      return RequestExit();
    case ID_RUN_NOW:
      return window_.OnRunNowClick();
    case ID_TARGET_BROWSE:
      return window_.ChooseTargetFolder();
    case ID_SHRINK_BUTTON:
      return window_.ShrinkAway();
    case ID_HOURS_COMBO:
      if (code == ui::kCheckListChanged) window_.OnHoursChanged();
      return;
    case ID_DATABASE_LIST:
      if (code == LBN_DBLCLK) ExploreSelectedDatabase();
      return;
    default:
      return;
  }
}

void TMainWindowCommands::DpiChanged(int dpi, HICON runNowGlyph) {
  trayMenu_->SetDpi(dpi);
  trayMenu_->SetGlyph(ID_MENU_RUN_NOW, runNowGlyph);
}

void TMainWindowCommands::UpdateTrayMenuItems() {
  bool enabled = !IsWindowVisible(window_.Handle()) && !window_.Running();
  for (UINT id : {ID_MENU_SHOW, ID_MENU_RUN_NOW, ID_MENU_EXIT, ID_MENU_PROTOCOL})
    trayMenu_->Enable(id, enabled);
}

bool TMainWindowCommands::ShowAllowed() const { return trayMenu_->Enabled(ID_MENU_SHOW); }

void TMainWindowCommands::OnTrayIconClick() {
  if (ShowAllowed()) window_.ShowOnRequest();
}

void TMainWindowCommands::ShowTrayMenu() {
  UpdateTrayMenuItems();
  POINT cursor;
  GetCursorPos(&cursor);
  HWND window = window_.Handle();
  // The menu closes when the user clicks elsewhere only if its owner is
  // in the foreground.
  SetForegroundWindow(window);
  TrackPopupMenu(trayMenu_->Handle(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, cursor.x,
                 cursor.y, 0, window, nullptr);
  PostMessageW(window, WM_NULL, 0, 0);
}

void TMainWindowCommands::OpenProtocolPage() {
  std::string page;
  try {
    page = WriteProtocolPage();
  } catch (const std::exception&) {
    // The page could not be written (held by another program beyond every
    // retry): an older page may still be there to open.
    page = ProtocolPageName();
  }
  Shell().Execute("open", page, reinterpret_cast<std::uintptr_t>(GetActiveWindow()));
}

void TMainWindowCommands::RunNowFromMenu() {
  if (!window_.Running()) SendMessageW(window_.Controls().runNowButton, BM_CLICK, 0, 0);
}

void TMainWindowCommands::ExploreSelectedDatabase() {
  HWND list = window_.Controls().databaseList;
  int index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  if (index < 0) return;
  Shell().Execute("explore", DatabaseItemText(list, index),
                  reinterpret_cast<std::uintptr_t>(GetActiveWindow()));
}

void TMainWindowCommands::RequestExit() { SendMessageW(window_.Handle(), WM_CLOSE, 0, 0); }

}  // namespace qv
