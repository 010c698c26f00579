// The main window's side of the run controller: the hours list, the
// target directory, runs and their results, the error blink.

#include "app/DatabaseList.h"
#include "tray/MainWindow.h"
#include "tray/MainWindowRunView.h"
#include "app/Settings.h"
#include "ui/controls/CheckListCombo.h"
#include "util/FileUtils.h"
#include "util/WinText.h"

namespace qv {

namespace {

constexpr unsigned kErrorBlinkIntervalMs = 1000;
constexpr unsigned kWorkCycleMs = 200;
constexpr char kFolderDialogTitle[] = "Zielverzeichnis";
// Places in the idle and error icons.
constexpr int kFirstErrorIcon = 1;
constexpr int kSecondErrorIcon = 2;

// Unknown when never stored or unreadable: then nothing is made up.
std::optional<TLocalTime> StoredLastRunStart() {
  return ParseStoredRunStart(ReadSettingString(kLastRunStartKey));
}

}  // namespace

void TMainWindow::CreateRunController() {
  runSystem_ = std::make_unique<TPoolRunSystem>(*jobPool_);
  runView_ = std::make_unique<TMainWindowRunView>(*this);
  run_ = std::make_unique<TRunController>(*runSystem_, *runView_);
}

void TMainWindow::StartRun(TRunTrigger trigger) {
  CallRunController([&] {
    // A user list that could not be read is tried again before every run (only
    // then: its reading may wait ten seconds).
    if (!userListError_.empty() && !Running()) FillDatabaseList();
    run_->StartRun(trigger);
  });
}

TMainWindow::TRunCall::TRunCall(TMainWindow& window) : window_(window) { ++window_.runCallDepth_; }

TMainWindow::TRunCall::~TRunCall() {
  if (--window_.runCallDepth_ == 0 && window_.closeDeferred_) {
    window_.closeDeferred_ = false;
    PostMessageW(window_.window_, WM_CLOSE, 0, 0);
  }
}

void TMainWindow::CallRunController(const std::function<void()>& call) {
  TRunCall scope(*this);
  try {
    call();
  } catch (const std::exception& error) {
    ShowFailure(error);
  }
}

void TMainWindow::ShowFailure(const std::exception& error) {
  // The window stays usable; the user learns why a run or a step of theirs
  // did not complete (a settings file held by another program, say).
  trayIcon_->ShowBalloon(kErrorBalloonTitle, error.what(), TBalloonIcon::Error, kBalloonTimeoutMs);
}

void TMainWindow::ScheduledRun() { StartRun(TRunTrigger::Schedule); }

void TMainWindow::OnRunNowClick() { StartRun(TRunTrigger::Manual); }

void TMainWindow::JobReported(const TJobReport* report, int activeBackups) {
  CallRunController([&] { run_->JobReported(report, activeBackups); });
}

void TMainWindow::CacheTick() { run_->CacheTick(); }

void TMainWindow::NetworkTick() {
  run_->NetworkTick();
  MakeUpMissedRunWhenDue();
}

void TMainWindow::NoticeMissedRun() {
  // One planned already stays as it is (a wake-up reports twice).
  if (missedRuns_.Pending()) return;
  missedRuns_.Notice(StoredLastRunStart(), LocalNow(), CheckedHours(),
                     ReadSettingString(kMakeUpMissedKey, "1") != "0");
}

void TMainWindow::MakeUpMissedRunWhenDue() {
  // Asked every few seconds: the settings are read only when the time has come.
  TLocalTime now = LocalNow();
  if (!missedRuns_.Reached(now)) return;
  std::optional<int> hour =
      missedRuns_.Due(StoredLastRunStart(), now, CheckedHours(), run_->Running());
  if (hour) CallRunController([&] { run_->StartMadeUpRun(*hour); });
}

void TMainWindow::RememberRunStart(const TLocalTime& start) {
  // Not stored (a held settings file), the next start may make up an hour
  // once too often; no run is lost for it.
  WriteSettingString(kLastRunStartKey, StoredRunStart(start));
}

THourSet TMainWindow::CheckedHours() const {
  THourSet hours{};
  for (int hour = 0; hour < 24; ++hour)
    hours[hour] = ui::IsCheckListItemChecked(controls_.hoursCombo, hour);
  return hours;
}

void TMainWindow::LoadHours() {
  hoursLoaded_ = false;
  THourSet hours = ParseHoursText(ReadSettingString(kCronKey));
  for (int hour = 0; hour < 24; ++hour)
    ui::SetCheckListItemChecked(controls_.hoursCombo, hour, hours[hour]);
  schedules_->Backup().SetExpression(HoursExpression(CheckedHours()));
  UpdateScheduleHint();
  hoursLoaded_ = true;
}

void TMainWindow::OnHoursChanged() {
  if (!hoursLoaded_) return;
  THourSet hours = CheckedHours();
  schedules_->Backup().SetExpression(HoursExpression(hours));
  StoreSetting(kCronKey, HoursText(hours));
  UpdateScheduleHint();
}

void TMainWindow::StoreSetting(const std::string& key, const std::string& value) {
  // The choice holds until the program ends; the user learns that it will
  // not outlive it (the settings file is held or write-protected, say).
  if (WriteSettingString(key, value)) return;
  trayIcon_->ShowBalloon(kErrorBalloonTitle,
                         "Die Einstellung kann nicht in " + SettingsFilePath() +
                             " gespeichert werden. Sie gilt nur bis zum Programmende.",
                         TBalloonIcon::Error, kBalloonTimeoutMs);
}

void TMainWindow::UpdateScheduleHint() { trayIcon_->SetHint(ScheduleHint(CheckedHours())); }

void TMainWindow::ChooseTargetFolder() {
  std::string chosen = Shell().ChooseFolder(TargetText(), kFolderDialogTitle,
                                            reinterpret_cast<std::uintptr_t>(window_));
  if (!chosen.empty()) SetWindowTextW(controls_.targetEdit, Widen(chosen).c_str());
  std::string target = ExpandUncFileName(TargetText());
  SetWindowTextW(controls_.targetEdit, Widen(target).c_str());
  bool exists = !target.empty() && IsExistingFolder(target);
  if (exists) StoreSetting(kTargetKey, target);
  run_->TargetChosen(exists);
}

void TMainWindow::SetErrorBlink(bool enabled) {
  if (enabled)
    SetTimer(window_, kErrorBlinkTimerId, kErrorBlinkIntervalMs, nullptr);
  else
    KillTimer(window_, kErrorBlinkTimerId);
  errorBlinkEnabled_ = enabled;
  trayIcon_->SetIconIndex(0);
  trayIcon_->Refresh();
  errorBlinkSecond_ = false;
}

void TMainWindow::ShowIdleTrayIcon() {
  trayIcon_->SetImages(&idleAndErrorIcons_);
  trayIcon_->SetCycling(false);
  trayIcon_->SetIconIndex(0);
  trayIcon_->Refresh();
  errorBlinkSecond_ = false;
}

void TMainWindow::ShowRunningTrayIcon() {
  trayIcon_->SetCycleInterval(kWorkCycleMs);
  trayIcon_->SetCycling(true);
  trayIcon_->SetImages(&runningIcons_);
  trayIcon_->SetIconIndex(0);
  trayIcon_->Refresh();
}

void TMainWindow::OnErrorBlinkTimer() {
  TTrayIcon& tray = *trayIcon_;
  tray.SetIconIndex(errorBlinkSecond_ ? kSecondErrorIcon : kFirstErrorIcon);
  errorBlinkSecond_ = !errorBlinkSecond_;
  tray.Refresh();
}

}  // namespace qv
