#pragma once
// One backup run from its start to its end, the same for the tray program
// and quorvel-cli: the target check, the run lock, the start of the backup
// jobs, the reports, the protocol and what the user is shown at the end.
// The steps are decided here; the sides carry them out.
#include <optional>
#include <string>

#include "app/RunTexts.h"
#include "backup/JobReport.h"
#include "util/Seams.h"
#include "util/StrUtils.h"

namespace qv {

// MadeUp: a checked hour that passed while the PC was off or asleep.
enum class TRunTrigger { Manual, Schedule, MadeUp };
enum class TRunState { Idle, TargetMissing, Running, ErrorsShown };
enum class TStartResult { Started, Refused, Locked, TargetMissing, NothingToBackUp };

// The machine under a run: folders, the run lock, the pool, the protocol.
class IRunSystem {
 public:
  virtual ~IRunSystem() = default;
  virtual bool FolderExists(const std::string& path) = 0;
  virtual void ConnectNetworkPath(const std::string& path) = 0;
  // False when another run (of any program) holds the lock; never waits.
  virtual bool AcquireRunLock() = 0;
  virtual void ReleaseRunLock() = 0;
  // Keeps the computer from going to sleep on its own while on.
  virtual void KeepAwake(bool on) = 0;
  virtual void WriteProtocol(const TStringList& runProtocol,
                             const std::optional<std::string>& firstLine) = 0;
  virtual void StartBackups(const std::string& target, const std::string& databases) = 0;
  virtual void StartCacheCopies(const std::string& databases) = 0;
  virtual void StartNetworkWork(const std::string& databases) = 0;
  virtual int ActiveBackups() = 0;
  virtual TStringList RunProtocol() = 0;
  virtual std::string LongTimeText(const TLocalTime& time) = 0;
  // Which database engine checks the tables (and why not the DLL), plain
  // text for the first line of every run's protocol; empty: no line.
  virtual std::string EngineText() { return {}; }
};

struct TRunResult {
  bool Failed = false;
  int FinishedJobs = 0;
};

// What the user sees of a run: the window or the console. Every step has a
// default that shows nothing, so each side names only what it shows.
class IRunView {
 public:
  virtual ~IRunView() = default;
  virtual std::string TargetText() = 0;
  virtual TStringList Databases() = 0;
  // Why the databases asked for are not all there: the user's own list could
  // not be read, or a folder named for this run is missing (empty when all is
  // well). Asked after the folders were looked at; the run then backs up what
  // is there and ends with errors.
  virtual std::string DatabaseListProblem() { return {}; }

  virtual void ShowTargetState(bool /*exists*/) {}
  virtual void RunLocked(TRunTrigger) {}
  // A run has begun at start: the target is there, the databases are read.
  virtual void RunBegun(const TLocalTime& /*start*/) {}
  virtual void TargetMissing(const std::string& /*target*/) {}
  virtual void DatabaseSkipped(const std::string& /*folder*/) {}
  virtual void RunStarted(const std::string& /*target*/) {}
  virtual void NothingToBackUp() {}
  virtual void Reported(const TJobReport&) {}
  virtual void SetStatus(const std::string& /*html*/) {}
  // The window as before the run, the list refreshed (may fail).
  virtual void RestoreAfterRun() {}
  // Only the list refreshed, after a run that never greyed the window (may fail).
  virtual void RefreshDatabases() {}
  // Runs also when the steps before failed: the next run can start.
  virtual void RunFinished() {}
  virtual void SetBlink(bool /*on*/) {}
  virtual void PlayErrorSound() {}
  virtual void OpenProtocol() {}
  virtual void ShowResult(const TRunResult&) {}
  virtual void AfterResult() {}
  virtual void ShowMessage(const std::string& /*html*/) {}
  virtual void ShowMainWindow() {}
  virtual void ShowBalloon(const std::string& /*title*/, const std::string& /*text*/,
                           TBalloonIcon) {}
  virtual std::string TrayHint() { return {}; }
};

class TRunController {
 public:
  TRunController(IRunSystem& system, IRunView& view) : system_(system), view_(view) {}
  TRunController(const TRunController&) = delete;
  TRunController& operator=(const TRunController&) = delete;

  TStartResult StartRun(TRunTrigger trigger);
  // A scheduled run for hour, which passed while the PC was off or asleep;
  // its protocol says so first.
  TStartResult StartMadeUpRun(int hour);
  // A report of the pool (nullptr: an auxiliary job ended) and the number of
  // backup jobs still running after it.
  void JobReported(const TJobReport* report, int activeBackups);
  void CacheTick();
  void NetworkTick();
  // The checks at the end of the window's creation.
  void StartUpChecks(bool targetExists);
  // A target chosen by the user; true when it exists (then it is kept).
  bool TargetChosen(bool exists);

  bool Running() const { return running_; }
  TRunState State() const { return state_; }
  const TStringList& Errors() const { return errors_; }
  const TLocalTime& RunStart() const { return runStart_; }
  const std::string& Status() const { return status_; }

 private:
  // What a start found: whether the target is there, the databases that are,
  // and why the list asked for is not all there (empty when it is).
  struct TRunInput {
    bool TargetExists = false;
    TStringList Databases;
    std::string ListProblem;
  };
  TStartResult RefuseLocked(TRunTrigger trigger);
  TRunInput LookAtFolders(const std::string& target);
  TStartResult FailForMissingTarget(const std::string& target);
  void BeginRun(const std::string& listProblem);
  TStartResult EndWithNothingToBackUp(bool restoreView);
  TStartResult StartJobs(const std::string& target, const TStringList& databases);
  void EndRun(bool restoreView, const std::optional<std::string>& onlyLine);
  // The run's reports, behind the line that names the engine.
  TStringList RunProtocolWithEngine();
  std::string madeUpLine_;  // of the run in progress, when it makes up an hour
  void ReleaseRun();

  IRunSystem& system_;
  IRunView& view_;
  bool running_ = false;
  TRunState state_ = TRunState::Idle;
  TStringList errors_;
  TLocalTime runStart_;
  std::string status_ = "----------------";
  int finishedJobs_ = 0;
};

}  // namespace qv
