// The daily archive sets of a backup job: the database files and all other
// files of the live directory, in parts of at most 1 GiB of input, one set
// folder per day, the oldest folders removed.
#include <cstdio>

#include "backup/BackupJob.h"
#include "backup/ReportText.h"
#include "backup/TableCheck.h"
#include "util/FileUtils.h"
#include "util/LocaleText.h"
#include "util/Seams.h"
#include "util/UFileFinder.h"
#include "util/WinText.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

constexpr std::uint64_t kProgressIntervalMs = 5000;

struct TKindInfo {
  const char* Folder;
  const char* StartLine;
  const char* ArchiveName;
  const char* AllSetsLine;  // followed by the link and "."
  const char* FirstPartLine;
};

const TKindInfo& Info(TArchiveKind kind) {
  static const TKindInfo kDatabase{"DATABASEBACKUP\\ZIP\\", "Daten-Ziparchiv erstellen..",
                                   "datenbank.zip",
                                   "Alle Ziparchive der Datenbank finden Sie hier ",
                                   "Das Ziparchiv der Datenbank finden Sie hier "};
  static const TKindInfo kOther{"DATABASEBACKUP\\ZIPOTHER\\", "Datei-Ziparchiv erstellen..",
                                "andere.zip",
                                "Alle Ziparchive der anderen Dateien finden Sie hier ",
                                "Das Ziparchiv der anderen Dateien finden Sie hier "};
  return kind == TArchiveKind::Database ? kDatabase : kOther;
}

bool Takes(TArchiveKind kind, const std::string& path) {
  std::string ext = LowerCase1252(ExtractFileExt(path));
  if (kind == TArchiveKind::Database) return IsTableFile(path) || ext == ".md5";
  return !IsTableFile(path) && ext != ".tmp" && ext != ".bak";
}

std::string Stamp(const TLocalTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d-%02d-%02d-%02d", t.Day, t.Month, t.Year,
                t.Hour, t.Minute, t.Second);
  return buffer;
}

std::uint64_t CreationTicks(const TFindEntry& entry) {
  return (static_cast<std::uint64_t>(entry.CreationTime.dwHighDateTime) << 32) |
         entry.CreationTime.dwLowDateTime;
}

// The set folders of a kind folder: how many, the oldest, and whether one
// was made today.
struct TSetFolders {
  int Count = 0;
  std::string Oldest;
  bool OneOfToday = false;
};

TSetFolders ScanSetFolders(const std::string& base) {
  TSetFolders result;
  TFileFinder finder;
  finder.FileFilter = false;
  finder.FolderFilter = true;
  finder.Recurse = false;
  finder.SetSearchFolder(base);
  TLocalTime today = LocalNow();
  std::uint64_t oldestTicks = 0;
  while (finder.FindNext()) {
    const TFindEntry& entry = finder.CurrentEntry();
    std::uint64_t ticks = CreationTicks(entry);
    if (result.Count++ == 0 || ticks < oldestTicks) {
      oldestTicks = ticks;
      result.Oldest = finder.FoundPath();
    }
    TLocalTime created;
    if (FileTimeToLocal(entry.CreationTime, created) && created.Year == today.Year &&
        created.Month == today.Month && created.Day == today.Day)
      result.OneOfToday = true;
  }
  return result;
}

}  // namespace

std::int64_t TBackupJob::FileSize64(const std::string& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return -1;
  FindClose(find);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

void TBackupJob::ThrottledProgress(const std::function<std::string()>& text) {
  if (MonotonicMs() - lastProgressMs_ < kProgressIntervalMs) return;
  Report(text(), false, false);
  lastProgressMs_ = MonotonicMs();
}

TArchiveSetResult TBackupJob::BuildArchiveSet(TArchiveKind kind, int keep) {
  const TKindInfo& info = Info(kind);
  TArchiveSetResult result;
  ArchiveFiles.clear();
  ArchiveError.clear();
  std::string base = WithTrailingBackslash(BackupRoot + info.Folder);
  ForceFolders(base);
  TSetFolders folders = ScanSetFolders(base);
  if (folders.OneOfToday) {
    Report(std::string(info.AllSetsLine) + FileLink(base) + ".", true, false);
    return result;
  }
  result.Created = true;
  Report(info.StartLine, true, false);
  std::string set = base + Stamp(LocalNow()) + "\\";
  ForceFolders(set);
  WriteArchiveParts(DatabaseDir, set + info.ArchiveName, kind);
  result.Error = ArchiveError;
  if (!result.Error.empty()) DeleteFolderTree(set, true);
  if (folders.Count >= keep && !folders.Oldest.empty()) DeleteFolderTree(folders.Oldest, true);
  return result;
}

void TBackupJob::WriteArchiveParts(const std::string& sourceFolder, const std::string& archivePath,
                                   TArchiveKind kind) {
  lastProgressMs_ = MonotonicMs();
  ArchiveError.clear();
  int part = 0;
  std::uint64_t total = 0;
  TStringList pending;
  TZipWriter zip;
  zip.OpenSharedWithRetry = true;
  TFileFinder finder;
  finder.FileFilter = finder.FolderFilter = finder.Recurse = true;
  finder.SetSearchFolder(sourceFolder);
  std::string stem = ChangeFileExt(archivePath, "");
  std::string current = stem + ".zip";

  // Writes the pending files as the next part; false when that failed.
  auto writePart = [&](bool last) {
    if (part > 0) current = stem + " Teil[" + std::to_string(part + 1) + "].zip";
    try {
      if (!last) zip.Close();  // the previous part is complete
      zip.CreateArchive(current);
      ArchiveFiles.push_back(current);
      ++part;
      zip.SetBaseFolder(sourceFolder);
      std::string n = ThousandsText(static_cast<std::int64_t>(pending.size()));
      for (size_t j = 0; j < pending.size(); ++j) {
        // The line is only formed when it will be sent: this runs for every file.
        if (j > 0)
          ThrottledProgress([&] {
            return "<b>" + ThousandsText(static_cast<std::int64_t>(j)) + "</b> von <b>" + n +
                   " </b>zippen.. [" + sourceFolder + "]";
          });
        zip.AddFile(pending[j]);
      }
      total = 0;
      pending.clear();
      if (last) zip.Close();
      return true;
    } catch (const std::exception& e) {
      // A part that cannot be made or filled ends the set; the caller removes it.
      ArchiveError = e.what();
      try {
        zip.Close();
      } catch (...) {
      }
      DeleteFileRetry(current);
      return false;
    }
  };

  while (finder.FindNext()) {
    const std::string& item = finder.FoundPath();
    if (!Takes(kind, item) || !IsExistingFile(item)) continue;
    auto size = static_cast<std::uint64_t>(FileSize64(item));
    if (total + size > PartLimit && !writePart(false)) return;
    total += size;
    pending.push_back(item);
  }
  if (!pending.empty()) writePart(true);
}

void TBackupJob::ReportArchiveSet(TArchiveKind kind, const TArchiveSetResult& result) {
  if (!result.Created) return;
  if (!result.Error.empty()) {
    HasErrors = true;
    Report("Problem beim Erstellen der Zip-Datei: \"" + result.Error + "\"", true, true);
    return;
  }
  int m = static_cast<int>(ArchiveFiles.size());
  for (int i = 1; i <= m; ++i) {
    const std::string& part = ArchiveFiles[static_cast<size_t>(i - 1)];
    if (i == 1)
      Report(std::string(Info(kind).FirstPartLine) + FileLink(ExtractFilePath(part)) + ".", true,
             false);
    Report(
        "Datei " + std::to_string(i) + " von " + std::to_string(m) + " : " + FileLink(part) + ".",
        true, false);
  }
}

void TBackupJob::BuildArchivesAndReport() {
  ReportArchiveSet(TArchiveKind::Database, BuildArchiveSet(TArchiveKind::Database, 50));
  ReportArchiveSet(TArchiveKind::Other, BuildArchiveSet(TArchiveKind::Other, 10));
}

}  // namespace qv
