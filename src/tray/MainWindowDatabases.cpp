// The main window's database list: the user's own or the office application's.
#include "app/BaseList.h"
#include "app/DatabaseList.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindow.h"
#include "util/WinText.h"

namespace qv {

TStringList TMainWindow::DatabaseListLines() const {
  TStringList lines;
  int count = static_cast<int>(SendMessageW(controls_.databaseList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) lines.push_back(DatabaseItemText(controls_.databaseList, i));
  return lines;
}

std::string TMainWindow::DatabaseListText() const { return JoinLines(DatabaseListLines()); }

void TMainWindow::SetDatabaseList(const TStringList& lines) {
  SendMessageW(controls_.databaseList, WM_SETREDRAW, FALSE, 0);
  SendMessageW(controls_.databaseList, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : lines)
    SendMessageW(controls_.databaseList, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Widen(line).c_str()));
  SendMessageW(controls_.databaseList, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(controls_.databaseList, nullptr, TRUE);
}

void TMainWindow::FillDatabaseList() {
  SetDatabaseList(InstalledDatabaseList());
  userListError_.clear();
  userDatabaseList_ = LoadUserDefinedList(&userListError_);
  if (userDatabaseList_.empty()) return;
  SetDatabaseList(userDatabaseList_);
  SetWindowTextW(controls_.titleLabel, L" Quorvel - Datensicherung (Userdef)");
  FitTitle();
}

void TMainWindow::RefreshDatabaseList() {
  // The user's list is shown again as it is; the installed one only when it changed.
  TStringList current = DatabaseListLines();
  TStringList installed = userDatabaseList_.empty() ? InstalledDatabaseList() : TStringList{};
  TStringList shown = ChooseDatabaseList(current, installed, userDatabaseList_);
  if (!userDatabaseList_.empty() || shown != current) SetDatabaseList(shown);
}

}  // namespace qv
