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

  std::string BackupRoot;
  std::string DatabaseDir;
  TStringList ArchiveFiles;
  std::string ArchiveError;
  TStringList LogLines;
  bool HasErrors = false;
  HWND NotifyWindow;

 private:
  std::shared_ptr<TJobChannel> channel_;
};

}  // namespace qv
