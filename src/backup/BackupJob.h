#pragma once
// One backup job per database directory: checks every table on a private
// copy, keeps the sound ones in DATA and DATA2, builds the daily archive sets
// and reports every step through the job channel.
#include <cstdint>
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

class TAdsTable;

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

 private:
  void ReportCheckResult(TCheckFlags flags);
  // Copies the table's files into one backup folder; false (after a red
  // line) when a copy could not be written.
  bool CopyTableFiles(const std::string& fromDir, const std::string& toDir, const std::string& base);

  std::shared_ptr<TJobChannel> channel_;
  // State of the running CheckTables.
  std::string checkDir_;
  TAdsTable* table_ = nullptr;
  TCheckFlags flags_ = 0;
  bool dataCopyFailed_ = false;
  bool data2CopyFailed_ = false;
};

}  // namespace qv
