#include <windows.h>

#include "app/DatabaseList.h"
#include "app/Protocol.h"
#include "app/ProtocolText.h"
#include "app/RunLock.h"
#include "app/RunSettings.h"
#include "backup/BackupPooled.h"
#include "backup/ReportText.h"
#include "cli/Commands.h"
#include "cli/PlainText.h"
#include "util/FileUtils.h"
#include "util/LocaleText.h"

namespace qv {
namespace {

constexpr char kNothingToBackUp[] =
    "Keine der Datenbanken ist vorhanden, es wurde nichts gesichert!";

// Runs the thread's message loop until the pool's last backup job ended.
void WaitForRunEnd(TBackupPooled& pool) {
  MSG msg;
  while (pool.ActiveBackups() > 0) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TStringList ExistingFolders(TConsole& console, const TStringList& databases) {
  TStringList existing;
  for (const std::string& line : databases) {
    if (IsExistingFolder(line))
      existing.push_back(line);
    else
      console.Line("Hinweis: Datenbankverzeichnis nicht vorhanden, wird übersprungen: " + line);
  }
  return existing;
}

// The protocol's block for a database list that could not be read.
TStringList ListProblemBlock(const std::string& problem) {
  if (problem.empty()) return {};
  return {LoggedLine(problem, true, NowDateTimeText()) + "\r\n" + kRuleLine};
}

}  // namespace

int RunCommand(TConsole& console, const std::string& targetOption,
               const std::vector<std::string>& databaseOptions) {
  TRunLock lock;
  if (!lock.Acquired()) {
    console.Error(
        "Es läuft bereits eine Sicherung auf diesem Rechner. Bitte später erneut versuchen.");
    return kExitRunLocked;
  }
  std::string target =
      WithTrailingBackslash(targetOption.empty() ? TargetDirectorySetting() : targetOption);
  if (target.rfind("\\\\", 0) == 0) ReconnectNetworkPath(target);
  if (!IsExistingFolder(target)) {
    WriteProtocol({}, std::string(kTargetMissingLine));
    console.Error("FEHLER: Sicherungsverzeichnis fehlt! (" + target + ")");
    return kExitTargetMissing;
  }
  std::string listProblem;
  TStringList databases =
      databaseOptions.empty() ? CurrentDatabaseList(&listProblem) : TStringList(databaseOptions);
  // What can be known is still backed up; the run ends with errors.
  if (!listProblem.empty()) console.Error("FEHLER: " + listProblem);
  TStringList existing = ExistingFolders(console, databases);
  if (existing.empty()) {
    // No job would ever report: the run ends here, and says so.
    if (!listProblem.empty()) WriteProtocol(ListProblemBlock(listProblem));
    WriteProtocol({}, kNothingToBackUp);
    console.Error("FEHLER: " + std::string(kNothingToBackUp));
    return kExitProblems;
  }

  bool failed = false;
  int finished = 0;
  TBackupPooled pool([&](const TBackupItem* item, int) {
    if (!item) return;
    failed = failed || item->Failed;
    if (item->Final) {
      ++finished;
      return;
    }
    if (item->Logged)
      console.Line(ConsoleLine(item->Text, item->Failed));
    else
      console.Progress(ConsoleLine(item->Text, item->Failed));
  });
  console.Line("Sicherung nach " + target);
  pool.StartBackups(target, JoinLines(existing));
  WaitForRunEnd(pool);
  TStringList protocol = ListProblemBlock(listProblem);
  protocol.insert(protocol.end(), pool.RunProtocol.begin(), pool.RunProtocol.end());
  failed = failed || !listProblem.empty();
  WriteProtocol(protocol);
  console.Line(std::to_string(finished) + (finished == 1 ? " Datenbank" : " Datenbanken") +
               (failed ? " bearbeitet, mit Fehlern." : " gesichert, ohne Fehler."));
  console.Line("Protokoll: " + ProtocolPageName());
  return failed ? kExitProblems : kExitOk;
}

}  // namespace qv
