// The tray icon's menu, the buttons and the end of the main window.
#include "app/BaseList.h"
#include "app/DatabaseList.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindow.h"
#include "app/Protocol.h"
#include "util/WinText.h"

namespace qv {
void TMainWindow::OnTrayIconClick() {
  if (trayMenu_->Enabled(ID_MENU_SHOW)) ShowOnRequest();
}

void TMainWindow::UpdateTrayMenuItems() {
  bool enabled = !IsWindowVisible(window_) && !running;
  for (UINT id : {ID_MENU_SHOW, ID_MENU_RUN_NOW, ID_MENU_EXIT, ID_MENU_PROTOCOL})
    trayMenu_->Enable(id, enabled);
}

void TMainWindow::ShowTrayMenu() {
  UpdateTrayMenuItems();
  POINT cursor;
  GetCursorPos(&cursor);
  // The menu closes when the user clicks elsewhere only if its owner is
  // in the foreground.
  SetForegroundWindow(window_);
  TrackPopupMenu(trayMenu_->Handle(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, cursor.x,
                 cursor.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
}

void TMainWindow::RequestExit() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void TMainWindow::OpenProtocolPage() {
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

void TMainWindow::RunNowFromMenu() {
  if (!running) SendMessageW(runNowButton, BM_CLICK, 0, 0);
}

void TMainWindow::ExploreSelectedDatabase() {
  int index = static_cast<int>(SendMessageW(databaseList, LB_GETCURSEL, 0, 0));
  if (index < 0) return;
  Shell().Execute("explore", DatabaseItemText(databaseList, index),
                  reinterpret_cast<std::uintptr_t>(GetActiveWindow()));
}

bool TMainWindow::CanClose() {
  if (runCallDepth_ > 0) {
    closeDeferred_ = true;
    return false;
  }
  bool wasClosing = jobPool_->Closing;
  jobPool_->Closing = true;
  schedules_->Pause();
  bool canClose = jobPool_->ActiveBackups() == 0;
  if (sessionEnding) trayIcon_->Remove();
  if (!canClose) {
    // A refused close changes nothing: the pool takes work again and the
    // schedules run on, so the run that is active ends as usual.
    jobPool_->Closing = wasClosing;
    schedules_->Resume();
  }
  return canClose;
}

TStringList TMainWindow::DatabaseListLines() const {
  TStringList lines;
  int count = static_cast<int>(SendMessageW(databaseList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) lines.push_back(DatabaseItemText(databaseList, i));
  return lines;
}

std::string TMainWindow::DatabaseListText() const { return JoinLines(DatabaseListLines()); }

void TMainWindow::SetDatabaseList(const TStringList& lines) {
  SendMessageW(databaseList, WM_SETREDRAW, FALSE, 0);
  SendMessageW(databaseList, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : lines)
    SendMessageW(databaseList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
  SendMessageW(databaseList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(databaseList, nullptr, TRUE);
}

void TMainWindow::FillDatabaseList() {
  SetDatabaseList(InstalledDatabaseList());
  userListError_.clear();
  userDatabaseList = LoadUserDefinedList(&userListError_);
  if (userDatabaseList.empty()) return;
  SetDatabaseList(userDatabaseList);
  SetWindowTextW(titleLabel, L" Quorvel - Datensicherung (Userdef)");
  FitTitle();
}

void TMainWindow::RefreshDatabaseList() {
  // The user's list is shown again as it is; the installed one only when it changed.
  TStringList current = DatabaseListLines();
  TStringList installed = userDatabaseList.empty() ? InstalledDatabaseList() : TStringList{};
  TStringList shown = ChooseDatabaseList(current, installed, userDatabaseList);
  if (!userDatabaseList.empty() || shown != current) SetDatabaseList(shown);
}

}  // namespace qv
