// The body of a backup job: check every table on a private copy, keep the
// sound ones in DATA and DATA2, then the daily archive sets.
#include "backup/BackupJob.h"

#include "engine/AdsDataset.h"
#include "backup/ReportText.h"
#include "backup/TableCheck.h"
#include "util/FileErrors.h"
#include "util/FileUtils.h"
#include "util/UFileFinder.h"

namespace qv {
namespace {

constexpr char kDataFolder[] = "DATABASEBACKUP\\DATA\\";
constexpr char kData2Folder[] = "DATABASEBACKUP\\DATA2\\";
constexpr char kExplanation[] =
    "Wenn sich diese Tabelle normal benutzen lässt, können Sie diese Meldung ignorieren. "
    "Möglicherweise wurde im Moment der Überprüfung ein Schreibzugriff auf diese Tabelle "
    "ausgeführt. Bei einem tatsächlichen Defekt können Sie die Ihre Datenbank durch die aus dem "
    "Sicherungsverzeichnis ersetzen. Erstellen Sie aber vorher eine Sicherheitskopie der "
    "Orignaldatenbank!";

}  // namespace

void TBackupJob::Run() {
  HasErrors = false;
  ArchiveFiles.clear();
  try {
    ForceFolders(BackupRoot);
    Report("Datenbank \"" + DatabaseDir + "\" überprüfen..", true, false);
    TCheckFlags flags = CheckTables();
    ReportCheckResult(flags);
    if ((flags & TableFound) && !(flags & TableProblem)) BuildArchivesAndReport();
    Report("Datenbank \"" + DatabaseDir + "\" fertig.", true, false);
    Report(kRuleLine, true, false);
  } catch (...) {
    // The lines already sent stay; the final item follows in any case.
  }
  PostFinal(HasErrors);
}

void TBackupJob::ReportCheckResult(TCheckFlags flags) {
  if (!(flags & TableFound)) {
    HasErrors = true;
    Report("Datenbank nicht gefunden in " + DatabaseDir, true, true);
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

TCheckFlags TBackupJob::CheckTables() {
  flags_ = 0;
  dataCopyFailed_ = data2CopyFailed_ = false;
  TTableCheckSession session;
  session_ = &session;
  TFileFinder finder;
  ForceFolders(BackupRoot + kDataFolder);
  ForceFolders(BackupRoot + kData2Folder);
  try {
    session.Connect();
    DatabaseDir = WithTrailingBackslash(DatabaseDir);
    finder.FileFilter = true;
    finder.FolderFilter = false;
    finder.Recurse = false;
    finder.SetSearchFolder(DatabaseDir);
    while (finder.FindNext()) {
      if (LowerCase1252(ExtractFileExt(finder.FoundPath())) != ".adt") continue;
      flags_ |= TableFound;
      CheckTable(DatabaseDir, BackupRoot, finder.FoundPath());
    }
  } catch (...) {
    // A failing connection (or anything unexpected) ends the table loop.
  }
  session_ = nullptr;
  return flags_;
}

void TBackupJob::CheckTable(const std::string& databaseDir, const std::string& backupRoot,
                            const std::string& tableFile) {
  flags_ &= static_cast<TCheckFlags>(~(CopiedToData | CopiedToData2));
  std::string name = ExtractFileName(tableFile);
  std::string base = TableBaseName(name);
  std::string dbDir = WithTrailingBackslash(databaseDir);
  std::string root = WithTrailingBackslash(backupRoot);
  if (base.empty()) return;
  try {
    session_->CheckCopy(dbDir, base, name,
                        [&] { Report("Prüfen: \"" + name + "\" [" + dbDir + "]", false, false); });
    if (!CopyTableFiles(session_->CheckDir(), root + kDataFolder, base)) {
      dataCopyFailed_ = true;
      return;  // DATA2 keeps its last good copy of this table
    }
    flags_ |= CopiedToData;
    if (!CopyTableFiles(root + kDataFolder, root + kData2Folder, base)) {
      data2CopyFailed_ = true;
      return;
    }
    flags_ |= CopiedToData2;
  } catch (const std::exception& e) {
    flags_ |= TableProblem;
    Report("Problem in Tabelle \"" + base + "\" : " + e.what(), true, true);
    Report(kExplanation, true, true);
    HasErrors = true;
  }
}

bool TBackupJob::CopyTableFiles(const std::string& fromDir, const std::string& toDir,
                                const std::string& base) {
  bool allWritten = true;
  for (const char* extension : kTableExtensions) {
    std::string source = fromDir + base + extension;
    if (!IsExistingFile(source)) continue;
    std::string target = toDir + base + extension;
    if (CopyFileRetry(source, target)) continue;
    allWritten = false;
    HasErrors = true;
    Report("Sicherungskopie \"" + target + "\" konnte nicht geschrieben werden.", true, true);
  }
  return allWritten;
}

}  // namespace qv
