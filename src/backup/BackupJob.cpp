// The body of a backup job: check every table on a private copy, keep the
// sound ones in DATA and DATA2, then the daily archive sets.
#include "backup/BackupJob.h"

#include "backup/BackupFolders.h"
#include "backup/ReportText.h"
#include "util/HtmlEscape.h"
#include "backup/TableNames.h"
#include "util/SiblingNames.h"

namespace qv {
namespace {

constexpr char kExplanation[] =
    "Wenn sich diese Tabelle normal benutzen lässt, können Sie diese Meldung ignorieren. "
    "Möglicherweise wurde im Moment der Überprüfung ein Schreibzugriff auf diese Tabelle "
    "ausgeführt. Bei einem tatsächlichen Defekt können Sie die Ihre Datenbank durch die aus dem "
    "Sicherungsverzeichnis ersetzen. Erstellen Sie aber vorher eine Sicherheitskopie der "
    "Orignaldatenbank!";

}  // namespace

TBackupJob::TBackupJob(const std::string& target, std::shared_ptr<IJobReports> reports,
                       const std::string& databaseDir, TJobSystem system,
                       const std::string& folderName)
    : BackupRoot(WithTrailingBackslash(target) +
                 (folderName.empty() ? BackupFolderName(databaseDir) : folderName) + "\\"),
      DatabaseDir(WithTrailingBackslash(DatabaseFolderOf(databaseDir))),
      reports_(std::move(reports)),
      system_(std::move(system)),
      files_(*system_.Files) {}

void TBackupJob::Run() {
  hasErrors_ = false;
  archiveFiles_.clear();
  try {
    RunSteps();
  } catch (const std::exception& e) {
    // The lines already sent stay; what stopped the job is named, and the
    // job never ends green after it.
    hasErrors_ = true;
    Report("Sicherung von \"" + HtmlText(DatabaseDir) + "\" abgebrochen: " + HtmlText(e.what()),
           true, true);
  } catch (...) {
    hasErrors_ = true;
    Report("Sicherung von \"" + HtmlText(DatabaseDir) + "\" abgebrochen: unbekannter Fehler", true,
           true);
  }
  PostFinal(hasErrors_);
}

void TBackupJob::RunSteps() {
  files_.ForceFolders(BackupRoot);
  Report("Datenbank \"" + HtmlText(DatabaseDir) + "\" überprüfen..", true, false);
  StartEarlyDatabaseSet();
  // Whatever ends the steps, the early set is awaited and, unless it became
  // the day's set, removed.
  struct TEarlySetEnd {
    TBackupJob& Job;
    ~TEarlySetEnd() { Job.DiscardEarlyDatabaseSet(); }
  } earlySetEnd{*this};
  TCheckFlags flags = CheckTables();
  ReportCheckResult(flags);
  if ((flags & TableFound) && !(flags & TableProblem))
    BuildArchivesAndReport();
  else
    DiscardEarlyDatabaseSet();
  Report("Datenbank \"" + HtmlText(DatabaseDir) + "\" fertig.", true, false);
  Report(kRuleLine, true, false);
}

void TBackupJob::ReportCheckResult(TCheckFlags flags) {
  if (!(flags & TableFound)) {
    hasErrors_ = true;
    Report("Datenbank nicht gefunden in " + HtmlText(DatabaseDir), true, true);
    // Without the engine no table can be told apart: the user learns why.
    if (!connectProblem_.empty())
      Report("Die Datenbank-Engine ist nicht erreichbar: " + HtmlText(connectProblem_), true, true);
    return;
  }
  if (flags & TableProblem) return;
  // A folder whose copy could not be written is never named as the backup.
  bool data = (flags & CopiedToData) && !dataCopyFailed_;
  bool data2 = (flags & CopiedToData2) && !data2CopyFailed_ && !dataCopyFailed_;
  std::string folder = data2 ? kData2Folder : data ? kDataFolder : "unbekannt";
  Report(
      "Alle Tabellen scheinen in Ordnung zu sein. Die letzte funktionierende Sicherung finden Sie "
      "in " +
          FileLink(BackupRoot + folder) + ".",
      true, false);
}

TBackupJob::TCheckFlags TBackupJob::CheckTables() {
  flags_ = 0;
  dataCopyFailed_ = data2CopyFailed_ = false;
  std::unique_ptr<ITableChecker> checker = system_.NewChecker();
  for (const char* kept : {kDataFolder, kData2Folder}) {
    files_.ForceFolders(BackupRoot + kept);
    RemoveCutOffCopies(BackupRoot + kept);
  }
  connectProblem_.clear();
  try {
    checker->Connect();
  } catch (const std::exception& e) {
    connectProblem_ = e.what();
    return flags_;  // no engine: reported as a database that was not found, with the reason
  } catch (...) {
    connectProblem_ = "unbekannter Fehler";
    return flags_;
  }
  try {
    files_.Walk(DatabaseDir, false, [&](const TWalkItem& item) {
      if (item.Folder || LowerCase1252(ExtractFileExt(item.Path)) != ".adt") return;
      flags_ |= TableFound;
      CheckTable(*checker, item.Path);
    });
  } catch (const std::exception& e) {
    // A listing that breaks off may hide tables: no success, no archives.
    flags_ |= TableProblem;
    hasErrors_ = true;
    Report(HtmlText(e.what()), true, true);
  }
  return flags_;
}

void TBackupJob::CheckTable(ITableChecker& checker, const std::string& tableFile) {
  flags_ &= static_cast<TCheckFlags>(~(CopiedToData | CopiedToData2));
  std::string name = ExtractFileName(tableFile);
  std::string base = TableBaseName(name);
  if (base.empty()) return;
  try {
    checker.CheckCopy(DatabaseDir, base, name, [&] {
      Report("Prüfen: \"" + HtmlText(name) + "\" [" + HtmlText(DatabaseDir) + "]", false, false);
    });
    if (!CopyTableFiles(checker.CheckDir(), BackupRoot + kDataFolder, base)) {
      dataCopyFailed_ = true;
      return;  // DATA2 keeps its last good copy of this table
    }
    flags_ |= CopiedToData;
    if (!CopyTableFiles(BackupRoot + kDataFolder, BackupRoot + kData2Folder, base)) {
      data2CopyFailed_ = true;
      return;
    }
    flags_ |= CopiedToData2;
  } catch (const std::exception& e) {
    flags_ |= TableProblem;
    Report("Problem in Tabelle \"" + HtmlText(base) + "\" : " + HtmlText(e.what()), true, true);
    Report(kExplanation, true, true);
    hasErrors_ = true;
  }
}

// A copy into DATA or DATA2 is written beside its table and replaces it only
// when complete; cut off, it stays as a temporary file as large as the table,
// which nothing else would ever remove: day by day they would fill the disk.
void TBackupJob::RemoveCutOffCopies(const std::string& folder) {
  std::vector<std::string> leftovers;
  try {
    files_.Walk(folder, false, [&](const TWalkItem& item) {
      if (!item.Folder && IsTemporarySiblingName(ExtractFileName(item.Path)))
        leftovers.push_back(item.Path);
    });
  } catch (const std::exception&) {
    // Housekeeping only: the copies into the folder report what fails there.
  }
  for (const std::string& leftover : leftovers) files_.DeleteFile(leftover);
}

bool TBackupJob::CopyTableFiles(const std::string& fromDir, const std::string& toDir,
                                const std::string& base) {
  bool allWritten = true;
  auto failed = [&](const std::string& line) {
    allWritten = false;
    hasErrors_ = true;
    Report(line, true, true);
  };
  for (const char* extension : kTableExtensions) {
    std::string source = fromDir + base + extension;
    std::string target = toDir + base + extension;
    if (!files_.IsExistingFile(source)) {
      // An index or memo file of an earlier check must not stay beside the
      // new table: restored together, they do not match.
      if (files_.IsExistingFile(target) && !files_.DeleteFile(target))
        failed("Veraltete Sicherungskopie \"" + HtmlText(target) +
               "\" konnte nicht gelöscht werden");
      continue;
    }
    std::string reason;
    if (!files_.CopyFile(source, target, reason))
      failed("Sicherungskopie \"" + HtmlText(target) +
             "\" konnte nicht geschrieben werden: " + HtmlText(reason));
  }
  return allWritten;
}

}  // namespace qv
