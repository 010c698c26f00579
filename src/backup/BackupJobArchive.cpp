// The daily archive sets of a backup job: the database files and all other
// files of the live directory, in parts of at most 1 GiB of input, one set
// folder per day, the oldest folders removed. A set is written under a
// working name and gets its stamp name only when every part is complete.
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "backup/BackupFolders.h"
#include "backup/BackupJob.h"
#include "backup/ReportText.h"
#include "util/HtmlEscape.h"
#include "backup/TableNames.h"
#include "util/FileErrors.h"
#include "util/Retry.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

constexpr std::uint64_t kProgressIntervalMs = 5000;
// A folder that another program holds for now.
class EHeldFolder : public EFileError {
 public:
  using EFileError::EFileError;
};

constexpr char kArchiveCancelled[] = "Ziparchiv abgebrochen: eine Tabelle ist nicht in Ordnung";

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

bool SameDay(const TLocalTime& a, const TLocalTime& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

// The n-th part's name (n from 1): datenbank.zip, datenbank Teil[2].zip, ...
std::string PartName(const std::string& archiveName, size_t n) {
  if (n == 1) return archiveName;
  return ChangeFileExt(archiveName, "") + " Teil[" + std::to_string(n) + "].zip";
}

// A backup tree that lies inside the database folder (the target chosen
// there, now or earlier) is never packed again: each day's set would hold all
// earlier ones. A folder of the user's that only bears the name is packed.
bool InsideABackupTree(const std::string& databaseDir, const std::string& path) {
  static const std::vector<std::string> kTreeFolders = [] {
    std::vector<std::string> folders;
    for (const char* folder : {kDataFolder, kData2Folder, Info(TArchiveKind::Database).Folder,
                               Info(TArchiveKind::Other).Folder})
      folders.push_back(LowerCase1252(std::string("\\") + folder));
    return folders;
  }();
  std::string relative =
      LowerCase1252("\\" + path.substr(std::min(databaseDir.size(), path.size())));
  return std::any_of(kTreeFolders.begin(), kTreeFolders.end(), [&](const std::string& folder) {
    return relative.find(folder) != std::string::npos;
  });
}

// The set folders of a kind folder: how many, the oldest, and whether one
// was made today. Leftovers of interrupted runs are removed, not counted.
// Only folders with a stamp's name are sets: a folder the user put there is
// never counted, never taken for today's set and never removed.
struct TSetFolders {
  std::vector<std::string> NewestFirst;
  std::string Oldest;  // of equally old ones, the first walked
  bool OneOfToday = false;
};

TSetFolders ScanSetFolders(IJobFiles& files, const std::string& base) {
  TSetFolders result;
  TLocalTime today = LocalNow();
  std::vector<std::string> leftovers;
  std::vector<std::pair<std::uint64_t, std::string>> sets;
  files.Walk(base, false, [&](const TWalkItem& item) {
    if (!item.Folder) return;
    std::string name = ExtractFileName(WithoutTrailingBackslash(item.Path));
    if (IsUnfinishedSetFolderName(name)) {
      leftovers.push_back(item.Path);
      return;
    }
    if (!IsSetFolderName(name)) return;
    if (item.CreatedKnown && SameDay(item.Created, today)) result.OneOfToday = true;
    sets.emplace_back(item.CreationTicks, item.Path);
  });
  for (const std::string& leftover : leftovers) files.DeleteFolderTree(leftover);
  std::stable_sort(sets.begin(), sets.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  if (!sets.empty()) {
    std::uint64_t oldestTicks = sets.back().first;
    result.Oldest = std::find_if(sets.begin(), sets.end(), [&](const auto& set) {
                      return set.first == oldestTicks;
                    })->second;
  }
  for (auto& set : sets) result.NewestFirst.push_back(std::move(set.second));
  return result;
}

// The archive parts of a set folder.
std::vector<std::string> PartsOf(IJobFiles& files, const std::string& set) {
  std::vector<std::string> parts;
  files.Walk(set, false, [&](const TWalkItem& item) {
    if (!item.Folder && LowerCase1252(ExtractFileExt(item.Path)) == ".zip")
      parts.push_back(item.Path);
  });
  return parts;
}

// Unchanged files are taken over from the newest earlier set that can be
// read; a set that cannot is passed over (a torn part, a folder gone).
void TakeOverFromNewestReadableSet(IJobFiles& files, IArchiveWriter& writer,
                                   const std::vector<std::string>& setsNewestFirst) {
  for (const std::string& set : setsNewestFirst) {
    try {
      std::vector<std::string> parts = PartsOf(files, set);
      if (!parts.empty() && writer.TakeOverFrom(parts)) return;
    } catch (const std::exception&) {
    }
  }
}

}  // namespace

bool IsSetFolderName(const std::string& name) {
  static const char kPattern[] = "00-00-0000-00-00-00";
  if (name.size() != sizeof kPattern - 1) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    bool digit = name[i] >= '0' && name[i] <= '9';
    if (kPattern[i] == '0' ? !digit : name[i] != '-') return false;
  }
  return true;
}

bool IsUnfinishedSetFolderName(const std::string& name) {
  std::string suffix = kUnfinishedSetSuffix;
  return EndsWith(name, suffix) && IsSetFolderName(name.substr(0, name.size() - suffix.size()));
}

void TBackupJob::ThrottledProgress(const std::function<std::string()>& text) {
  if (MonotonicMs() - lastProgressMs_ < kProgressIntervalMs) return;
  Report(text(), false, false);
  lastProgressMs_ = MonotonicMs();
}

TArchiveSetResult TBackupJob::BuildArchiveSet(TArchiveKind kind, int keep) {
  return CompleteArchiveSet(PrepareArchiveSet(kind), keep);
}

TPreparedSet TBackupJob::PrepareArchiveSet(TArchiveKind kind) {
  const TKindInfo& info = Info(kind);
  TPreparedSet prepared;
  archiveFiles_.clear();
  std::string base = WithTrailingBackslash(BackupRoot + info.Folder);
  files_.ForceFolders(base);
  TSetFolders folders = ScanSetFolders(files_, base);
  prepared.Count = static_cast<int>(folders.NewestFirst.size());
  prepared.Oldest = folders.Oldest;
  if (folders.OneOfToday) {
    Report(std::string(info.AllSetsLine) + FileLink(base) + ".", true, false);
    prepared.OneOfToday = true;
    return prepared;
  }
  Report(info.StartLine, true, false);
  std::string stamp = Stamp(LocalNow());
  prepared.Working = base + stamp + kUnfinishedSetSuffix + "\\";
  prepared.Set = base + stamp + "\\";
  files_.ForceFolders(prepared.Working);
  prepared.Error = WriteArchiveParts(prepared.Working, info.ArchiveName, kind, folders.NewestFirst);
  return prepared;
}

void TBackupJob::RenameHeldFolder(const std::string& from, const std::string& to) {
  // A virus scanner or indexer reading the new parts may hold the folder for
  // a moment; the finished set is not thrown away for that. Other failures
  // (the name taken, the folder gone) are not waited for.
  WithRetry<EHeldFolder>(kSetRenameRetry, [&] {
    try {
      files_.RenameFolder(from, to);
    } catch (const EFileError& e) {
      if (!IsHeldByAnotherProgram(e.Code())) throw;
      throw EHeldFolder(e.what(), e.Code());
    }
  });
}

TArchiveSetResult TBackupJob::CompleteArchiveSet(const TPreparedSet& prepared, int keep) {
  TArchiveSetResult result;
  if (prepared.OneOfToday) return result;
  result.Created = true;
  result.Error = prepared.Error;
  if (result.Error.empty()) {
    try {
      RenameHeldFolder(prepared.Working, prepared.Set);
      for (std::string& part : archiveFiles_)
        part = prepared.Set + part.substr(prepared.Working.size());
    } catch (const std::exception& e) {
      result.Error = e.what();
    }
  }
  if (!result.Error.empty()) {
    archiveFiles_.clear();
    files_.DeleteFolderTree(prepared.Working);
  }
  // Only a new set takes the oldest one's place: a failed day keeps every old set.
  if (result.Error.empty() && prepared.Count >= keep && !prepared.Oldest.empty())
    files_.DeleteFolderTree(prepared.Oldest);
  return result;
}

std::string TBackupJob::WriteArchiveParts(const std::string& setFolder,
                                          const std::string& archiveName, TArchiveKind kind,
                                          const std::vector<std::string>& earlierSets) {
  lastProgressMs_ = MonotonicMs();
  std::vector<TPlannedFile> taken;
  std::unique_ptr<IArchiveWriter> writer = files_.NewArchiveWriter();
  std::string current;
  try {
    TakeOverFromNewestReadableSet(files_, *writer, earlierSets);
    files_.Walk(DatabaseDir, true, [&](const TWalkItem& item) {
      if (item.Folder || !Takes(kind, item.Path) || InsideABackupTree(DatabaseDir, item.Path) ||
          !files_.IsExistingFile(item.Path))
        return;
      taken.push_back({item.Path, item.Size});
    });
    // A folder that went away (a share that dropped) lists as empty: that
    // makes no empty set that would stand for the day. (Files listed before
    // it went fail as they are added.)
    if (taken.empty() && !files_.IsExistingFolder(DatabaseDir))
      throw EFileError("Das Datenbankverzeichnis " + DatabaseDir + " ist nicht erreichbar", 3);
    TPartPlan parts = PlanParts(taken, partLimit_);
    for (size_t i = 0; i < parts.size(); ++i) {
      current = setFolder + PartName(archiveName, i + 1);
      WritePart(*writer, current, parts[i]);
    }
    writer->Close();
    return {};
  } catch (const std::exception& e) {
    // A part that cannot be made or filled ends the set; the caller removes it.
    try {
      writer->Close();
    } catch (...) {
    }
    if (!current.empty()) files_.DeleteFile(current);
    return e.what();
  }
}

void TBackupJob::WritePart(IArchiveWriter& writer, const std::string& path,
                           const std::vector<std::string>& files) {
  writer.CreateArchive(path);  // ends the previous part
  archiveFiles_.push_back(path);
  writer.SetBaseFolder(DatabaseDir);
  std::string n = system_.Thousands(static_cast<std::int64_t>(files.size()));
  for (size_t j = 0; j < files.size(); ++j) {
    // The line is only formed when it will be sent: this runs for every file.
    if (j > 0)
      ThrottledProgress([&] {
        return "<b>" + system_.Thousands(static_cast<std::int64_t>(j)) + "</b> von <b>" + n +
               " </b>zippen.. [" + HtmlText(DatabaseDir) + "]";
      });
    if (archiveCancelled_) throw std::runtime_error(kArchiveCancelled);
    writer.AddFile(files[j]);
  }
}

void TBackupJob::ReportArchiveSet(TArchiveKind kind, const TArchiveSetResult& result) {
  if (!result.Created) return;
  if (!result.Error.empty()) {
    hasErrors_ = true;
    Report("Problem beim Erstellen der Zip-Datei: \"" + HtmlText(result.Error) + "\"", true, true);
    return;
  }
  size_t m = archiveFiles_.size();
  for (size_t i = 1; i <= m; ++i) {
    const std::string& part = archiveFiles_[i - 1];
    if (i == 1)
      Report(std::string(Info(kind).FirstPartLine) + FileLink(ExtractFilePath(part)) + ".", true,
             false);
    Report(
        "Datei " + std::to_string(i) + " von " + std::to_string(m) + " : " + FileLink(part) + ".",
        true, false);
  }
}

void TBackupJob::BuildArchivesAndReport() {
  ReportArchiveSet(TArchiveKind::Database, FinishEarlyDatabaseSet());
  ReportArchiveSet(TArchiveKind::Other, BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept));
}

}  // namespace qv
