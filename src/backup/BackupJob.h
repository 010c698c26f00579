#pragma once
// One backup job per database directory: checks every table on a private
// copy, keeps the sound ones in DATA and DATA2, builds the daily archive sets
// and reports every step through the job channel.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "backup/JobChannel.h"
#include "backup/WorkerThreadPool.h"
#include "util/StrUtils.h"

namespace qv {

// What CheckTables found; CopiedToData/CopiedToData2 describe the last table.
enum TCheckFlag : std::uint8_t {
  TableFound = 1,
  CopiedToData = 2,
  CopiedToData2 = 4,
  TableProblem = 8,
};
using TCheckFlags = std::uint8_t;

class TTableCheckSession;

// The two daily archive sets of a database directory.
enum class TArchiveKind { Database, Other };

struct TArchiveSetResult {
  bool Created = false;
  std::string Error;
};

// Input bytes one archive part may hold (a part may total exactly this).
inline constexpr std::uint64_t kArchivePartLimit = 1ull << 30;

class TBackupJob : public TWorkerThreadJob {
 public:
  TBackupJob(const std::string& target, std::shared_ptr<TJobChannel> channel,
             const std::string& databaseDir);

  void Run() override;

  // One line: posted as progress, and kept for the protocol when addToLog.
  void Report(const std::string& text, bool addToLog, bool failed);
  void PostItem(std::unique_ptr<TBackupItem> item);
  // The last item of the job: all logged lines, each followed by CR LF.
  void PostFinal(bool hasErrors);

  // Today's archive set of one kind, once per day, keeping `keep` set folders.
  TArchiveSetResult BuildArchiveSet(TArchiveKind kind, int keep);
  void WriteArchiveParts(const std::string& sourceFolder, const std::string& archivePath,
                         TArchiveKind kind);
  // Size from the directory entry, -1 when there is none.
  static std::int64_t FileSize64(const std::string& path);
  // Reports the text, formed only then, when the last progress line is 5 s old.
  void ThrottledProgress(const std::function<std::string()>& text);

  // Checks and copies every table of DatabaseDir.
  TCheckFlags CheckTables();
  void CheckTable(const std::string& databaseDir, const std::string& backupRoot,
                  const std::string& tableFile);

  std::string BackupRoot;
  std::string DatabaseDir;
  TStringList ArchiveFiles;
  std::string ArchiveError;
  TStringList LogLines;
  bool HasErrors = false;
  HWND NotifyWindow;
  std::uint64_t PartLimit = kArchivePartLimit;

 private:
  void ReportCheckResult(TCheckFlags flags);
  void BuildArchivesAndReport();
  void ReportArchiveSet(TArchiveKind kind, const TArchiveSetResult& result);
  // Copies the table's files into one backup folder; false (after a red
  // line) when a copy could not be written.
  bool CopyTableFiles(const std::string& fromDir, const std::string& toDir,
                      const std::string& base);

  std::shared_ptr<TJobChannel> channel_;
  // State of the running CheckTables.
  TTableCheckSession* session_ = nullptr;
  TCheckFlags flags_ = 0;
  bool dataCopyFailed_ = false;
  bool data2CopyFailed_ = false;
  std::uint64_t lastProgressMs_ = 0;
};

}  // namespace qv
