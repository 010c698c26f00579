#include <windows.h>

#include <exception>

#include "app/DatabaseList.h"
#include "app/PoolRunSystem.h"
#include "app/Protocol.h"
#include "app/RunController.h"
#include "app/RunSettings.h"
#include "backup/BackupJobPool.h"
#include "cli/Commands.h"
#include "cli/PlainText.h"

namespace qv {
namespace {

// The run as console lines: the same steps as in the tray program's window.
class TConsoleRunView final : public IRunView {
 public:
  TConsoleRunView(TConsole& console, std::string target, TStringList databases)
      : console_(console), target_(std::move(target)), databases_(std::move(databases)) {}

  // The settings are read only when the options leave them open.
  std::string TargetText() override { return target_.empty() ? TargetDirectorySetting() : target_; }
  // A user list that cannot be read is named here; the run puts it into the
  // protocol and ends with errors.
  TStringList Databases() override {
    if (!databases_.empty()) return databases_;
    listProblem_.clear();
    TStringList list = CurrentDatabaseList(&listProblem_);
    if (!listProblem_.empty()) console_.Error("FEHLER: " + listProblem_);
    return list;
  }
  // Folders named with --db that are missing count as the list's problem: the
  // run puts them into the protocol and ends with errors.
  std::string DatabaseListProblem() override {
    if (!listProblem_.empty() || namedMissing_.empty()) return listProblem_;
    std::string folders;
    for (const std::string& folder : namedMissing_)
      folders += (folders.empty() ? "" : ", ") + folder;
    return "Datenbankverzeichnis nicht vorhanden: " + folders;
  }
  void RunLocked(TRunTrigger) override {
    console_.Error(kRunLockedText);
    exitCode_ = kExitRunLocked;
  }
  void TargetMissing(const std::string& target) override {
    console_.Error("FEHLER: Sicherungsverzeichnis fehlt! (" + target + ")");
    exitCode_ = kExitTargetMissing;
  }
  // A folder of the database list may be gone for good; one named with --db
  // was meant to be backed up, so its absence makes the run fail.
  void DatabaseSkipped(const std::string& folder) override {
    if (databases_.empty()) {
      console_.Line("Hinweis: Datenbankverzeichnis nicht vorhanden, wird übersprungen: " + folder);
      return;
    }
    console_.Error("FEHLER: Datenbankverzeichnis nicht vorhanden: " + folder);
    namedMissing_.push_back(folder);
  }
  void RunStarted(const std::string& target) override { console_.Line("Sicherung nach " + target); }
  void NothingToBackUp() override {
    console_.Error("FEHLER: " + std::string(kNothingToBackUp));
    nothing_ = true;
  }
  void Reported(const TJobReport& item) override {
    if (item.Final) return;
    if (item.Logged)
      console_.Line(ConsoleLine(item.Text, item.Failed));
    else
      console_.Progress(ConsoleLine(item.Text, item.Failed));
  }
  void ShowResult(const TRunResult& result) override {
    exitCode_ = result.Failed ? kExitProblems : kExitOk;
    if (nothing_) return;
    int n = result.FinishedJobs;
    console_.Line(std::to_string(n) + (n == 1 ? " Datenbank" : " Datenbanken") +
                  (result.Failed ? " bearbeitet, mit Fehlern." : " gesichert, ohne Fehler."));
    console_.Line("Protokoll: " + ProtocolPageName());
  }
  int ExitCode() const { return exitCode_; }

 private:
  TConsole& console_;
  std::string target_;
  TStringList databases_;
  bool nothing_ = false;
  TStringList namedMissing_;
  std::string listProblem_;
  int exitCode_ = kExitProblems;
};

// Runs the thread's message loop until the run has ended.
void WaitForRunEnd(const TRunController& run) {
  MSG msg;
  while (run.Running()) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int RunCommand(TConsole& console, const std::string& targetOption,
               const std::vector<std::string>& databaseOptions) {
  TBackupJobPool pool(nullptr);
  TPoolRunSystem system(pool);
  TConsoleRunView view(console, targetOption, databaseOptions);
  TRunController run(system, view);
  // A failure at the run's end must not cross the pool's window procedure:
  // it is raised again once the message loop is left.
  std::exception_ptr failure;
  pool.OnReport = [&](const TJobReport* item, int active) {
    try {
      run.JobReported(item, active);
    } catch (...) {
      failure = std::current_exception();
    }
  };
  run.StartRun(TRunTrigger::Manual);
  WaitForRunEnd(run);
  if (failure) std::rethrow_exception(failure);
  return view.ExitCode();
}

}  // namespace qv
