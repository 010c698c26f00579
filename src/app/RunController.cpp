#include "app/RunController.h"

#include <exception>

#include "app/MissedRun.h"
#include "app/ProtocolText.h"
#include "backup/ReportText.h"
#include "util/DateTimeText.h"
#include "util/HtmlEscape.h"

namespace qv {

TStartResult TRunController::StartRun(TRunTrigger trigger) {
  if (running_ || system_.ActiveBackups() != 0) return TStartResult::Refused;
  if (!system_.AcquireRunLock()) return RefuseLocked(trigger);
  running_ = true;
  system_.KeepAwake(true);
  std::string target = WithTrailingBackslash(view_.TargetText());
  TRunInput input;
  try {
    input = LookAtFolders(target);
  } catch (...) {
    ReleaseRun();
    throw;
  }
  if (!input.TargetExists) return FailForMissingTarget(target);
  BeginRun(input.ListProblem);
  if (input.Databases.empty()) return EndWithNothingToBackUp(false);
  return StartJobs(target, input.Databases);
}

TStartResult TRunController::RefuseLocked(TRunTrigger trigger) {
  // Another program's run: nothing starts, nothing waits.
  if (trigger != TRunTrigger::Manual) system_.WriteProtocol({}, std::string(kRunLockedLine));
  view_.RunLocked(trigger);
  return TStartResult::Locked;
}

TRunController::TRunInput TRunController::LookAtFolders(const std::string& target) {
  TRunInput input;
  if (target.rfind("\\\\", 0) == 0) system_.ConnectNetworkPath(target);
  input.TargetExists = system_.FolderExists(target);
  view_.ShowTargetState(input.TargetExists);
  if (!input.TargetExists) return input;
  for (const std::string& folder : view_.Databases()) {
    if (system_.FolderExists(folder))
      input.Databases.push_back(folder);
    else
      view_.DatabaseSkipped(folder);
  }
  input.ListProblem = view_.DatabaseListProblem();
  if (!input.ListProblem.empty()) {
    TLocalTime now = LocalNow();
    system_.WriteProtocol({LoggedLine(HtmlText(input.ListProblem), true,
                                      DateTimeText(now, system_.LongTimeText(now))) +
                           "\r\n" + kRuleLine},
                          std::nullopt);
  }
  return input;
}

TStartResult TRunController::FailForMissingTarget(const std::string& target) {
  ReleaseRun();
  system_.WriteProtocol({}, std::string(kTargetMissingLine));
  // A backup disk left unplugged must not go unnoticed for weeks behind a
  // hidden window: every start that fails on it says so at the tray.
  state_ = TRunState::TargetMissing;
  view_.SetBlink(true);
  view_.ShowBalloon(kErrorBalloonTitle, kTargetMissingText, TBalloonIcon::Error);
  view_.TargetMissing(target);
  return TStartResult::TargetMissing;
}

void TRunController::BeginRun(const std::string& listProblem) {
  state_ = TRunState::Running;
  errors_.clear();
  if (!listProblem.empty()) errors_.push_back(HtmlText(listProblem));
  finishedJobs_ = 0;
  runStart_ = LocalNow();
  view_.RunBegun(runStart_);
}

TStartResult TRunController::EndWithNothingToBackUp(bool restoreView) {
  // No job would ever report: the run ends here, with the error shown.
  errors_.push_back(kNothingToBackUp);
  view_.NothingToBackUp();
  EndRun(restoreView, std::string(kNothingToBackUp));
  return TStartResult::NothingToBackUp;
}

TStartResult TRunController::StartJobs(const std::string& target, const TStringList& databases) {
  view_.SetBlink(false);
  try {
    view_.RunStarted(target);
    system_.StartBackups(target, JoinLines(databases));
  } catch (...) {
    // Whatever stopped the start, the window comes back and the next run can start.
    state_ = TRunState::Idle;
    try {
      view_.RestoreAfterRun();
    } catch (...) {
    }
    ReleaseRun();
    throw;
  }
  // No job at all: the folders went away meanwhile, or the pool takes no more work.
  if (system_.ActiveBackups() == 0) return EndWithNothingToBackUp(true);
  return TStartResult::Started;
}

void TRunController::JobReported(const TJobReport* report, int activeBackups) {
  if (!report) return;
  if (report->Failed) errors_.push_back(report->Text);
  if (report->Final) ++finishedJobs_;
  std::string elapsed = ElapsedText(
      runStart_, LocalNow(), [this](const TLocalTime& time) { return system_.LongTimeText(time); });
  if (auto status = StatusAfterReport(elapsed, report->Text, report->Final, activeBackups)) {
    status_ = *status;
    view_.SetStatus(status_);
  }
  view_.Reported(*report);
  if (running_ && activeBackups == 0) EndRun(true, std::nullopt);
}

void TRunController::EndRun(bool restoreView, const std::optional<std::string>& onlyLine) {
  std::exception_ptr failure;
  try {
    system_.WriteProtocol(onlyLine ? TStringList{} : RunProtocolWithEngine(), onlyLine);
  } catch (const std::exception& e) {
    // The run's lines are lost, not its result: that is shown, and red.
    failure = std::current_exception();
    errors_.push_back(HtmlText(e.what()));
  } catch (...) {
    failure = std::current_exception();
    errors_.push_back("unbekannter Fehler");
  }
  try {
    if (restoreView) {
      view_.SetBlink(false);
      view_.RestoreAfterRun();
    } else {
      // Never greyed; but the list is read again as after every run, so that
      // databases moved or made meanwhile are found by the next one.
      view_.RefreshDatabases();
    }
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  ReleaseRun();
  TRunResult result{!errors_.empty(), finishedJobs_};
  state_ = result.Failed ? TRunState::ErrorsShown : TRunState::Idle;
  // Taken before the result is shown: a run started while the popup slides
  // in keeps its own errors.
  errors_.clear();
  if (result.Failed) {
    view_.SetBlink(true);
    view_.PlayErrorSound();
    view_.OpenProtocol();
  }
  view_.ShowResult(result);
  if (!running_) view_.AfterResult();
  if (failure) std::rethrow_exception(failure);
}

TStartResult TRunController::StartMadeUpRun(int hour) {
  madeUpLine_ = MakeUpLine(hour);
  TStartResult result = TStartResult::Refused;
  try {
    result = StartRun(TRunTrigger::MadeUp);
  } catch (...) {
    madeUpLine_.clear();
    throw;
  }
  if (result != TStartResult::Started) madeUpLine_.clear();
  return result;
}

TStringList TRunController::RunProtocolWithEngine() {
  TStringList lines = system_.RunProtocol();
  std::string stamp = DateTimeText(runStart_, system_.LongTimeText(runStart_));
  // The hour a run makes up stands before its reports.
  if (!madeUpLine_.empty()) lines.insert(lines.begin(), LoggedLine(madeUpLine_, false, stamp));
  std::string engine = system_.EngineText();
  // A problem report tells by this line which engine gave the verdicts.
  if (!engine.empty()) lines.insert(lines.begin(), LoggedLine(HtmlText(engine), false, stamp));
  return lines;
}

void TRunController::ReleaseRun() {
  running_ = false;
  madeUpLine_.clear();
  system_.KeepAwake(false);
  system_.ReleaseRunLock();
  view_.RunFinished();
}

void TRunController::CacheTick() {
  if (!running_) system_.StartCacheCopies(JoinLines(view_.Databases()));
}

void TRunController::NetworkTick() {
  if (!running_) system_.StartNetworkWork(JoinLines(view_.Databases()));
}

void TRunController::StartUpChecks(bool targetExists) {
  if (!targetExists) {
    state_ = TRunState::TargetMissing;
    view_.SetBlink(true);
    view_.ShowMessage(kStartUpMessage);
    view_.ShowMainWindow();
  }
  CacheTick();
  NetworkTick();
  if (targetExists)
    view_.ShowBalloon(kBalloonTitle, view_.TrayHint(), TBalloonIcon::Info);
  else
    view_.ShowBalloon(kErrorBalloonTitle, kTargetMissingText, TBalloonIcon::Error);
}

bool TRunController::TargetChosen(bool exists) {
  view_.ShowTargetState(exists);
  view_.SetBlink(!exists);
  if (exists) {
    if (state_ != TRunState::Running) state_ = TRunState::Idle;
    return true;
  }
  view_.ShowBalloon(kErrorBalloonTitle, kFolderMissingText, TBalloonIcon::Error);
  if (state_ != TRunState::Running) state_ = TRunState::TargetMissing;
  return false;
}

}  // namespace qv
