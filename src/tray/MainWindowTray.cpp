// The tray icon's menu, the buttons and the end of the main window.
#include "app/DatabaseList.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindow.h"
#include "app/Protocol.h"
#include "util/WinText.h"

namespace qv {
void TVEZivavuvIdazadide::TrayIconClick() {
  if (popupMenu_->Enabled(ID_MNU_SHOW)) Anzeigen1Click();
}

void TVEZivavuvIdazadide::PopupMenuPopup() {
  bool enabled = !IsWindowVisible(window_) && !FRunning;
  for (UINT id : {ID_MNU_SHOW, ID_AUSFHREN1, ID_BEENDEN2, ID_MNU_PRO})
    popupMenu_->Enable(id, enabled);
}

void TVEZivavuvIdazadide::ShowTrayMenu() {
  PopupMenuPopup();
  POINT cursor;
  GetCursorPos(&cursor);
  // The menu closes when the user clicks elsewhere only if its owner is
  // in the foreground.
  SetForegroundWindow(window_);
  TrackPopupMenu(popupMenu_->Handle(), TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, cursor.x,
                 cursor.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
}

void TVEZivavuvIdazadide::beenden1Click() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void TVEZivavuvIdazadide::MNU_PROClick() { FlatButton1Click(); }

void TVEZivavuvIdazadide::FlatButton1Click() {
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

void TVEZivavuvIdazadide::Ausfhren1Click() {
  if (!FRunning) SendMessageW(fma, BM_CLICK, 0, 0);
}

void TVEZivavuvIdazadide::LBDataBasesDblClick() {
  int index = static_cast<int>(SendMessageW(LBDataBases, LB_GETCURSEL, 0, 0));
  if (index < 0) return;
  Shell().Execute("explore", DatabaseItemText(LBDataBases, index),
                  reinterpret_cast<std::uintptr_t>(GetActiveWindow()));
}

bool TVEZivavuvIdazadide::FormCloseQuery() {
  if (runCallDepth_ > 0) {
    closeDeferred_ = true;
    return false;
  }
  bool wasClosing = FPool->Closing;
  FPool->Closing = true;
  TacCronJob* jobs[] = {FBackupSchedule, FCacheSchedule, FNetSchedule};
  bool wasEnabled[3];
  for (int i = 0; i < 3; ++i) {
    wasEnabled[i] = jobs[i]->Enabled();
    jobs[i]->SetEnabled(false);
  }
  bool canClose = FPool->ActiveBackups() == 0;
  if (SessionEnding) trayIcon_->Remove();
  if (!canClose) {
    // A refused close changes nothing: the pool takes work again and the
    // schedules run on, so the run that is active ends as usual.
    FPool->Closing = wasClosing;
    for (int i = 0; i < 3; ++i) jobs[i]->SetEnabled(wasEnabled[i]);
  }
  return canClose;
}

std::string TVEZivavuvIdazadide::DatabaseListText() const {
  TStringList lines;
  int count = static_cast<int>(SendMessageW(LBDataBases, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) lines.push_back(DatabaseItemText(LBDataBases, i));
  return JoinLines(lines);
}

void TVEZivavuvIdazadide::SetDatabaseList(const TStringList& lines) {
  SendMessageW(LBDataBases, WM_SETREDRAW, FALSE, 0);
  SendMessageW(LBDataBases, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : lines)
    SendMessageW(LBDataBases, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
  SendMessageW(LBDataBases, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(LBDataBases, nullptr, TRUE);
}

void TVEZivavuvIdazadide::FillDatabaseList() {
  SetDatabaseList(InstalledDatabaseList());
  FUserListProblem.clear();
  FUserDefined = LoadUserDefinedList(&FUserListProblem);
  if (FUserDefined.empty()) return;
  SetDatabaseList(FUserDefined);
  SetWindowTextW(Label4, L" Quorvel - Datensicherung (Userdef)");
  FitTitle();
}

void TVEZivavuvIdazadide::RefreshDatabaseList() {
  if (!FUserDefined.empty()) {
    SetDatabaseList(FUserDefined);
    return;
  }
  TStringList installed = InstalledDatabaseList();
  if (LowerCase1252(JoinLines(installed)) != LowerCase1252(DatabaseListText()))
    SetDatabaseList(installed);
}

}  // namespace qv
