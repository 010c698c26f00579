// Construction and reporting of TBackupJob.
#include "backup/BackupJob.h"
#include "backup/ReportText.h"

namespace qv {
namespace {

std::string FolderOf(const std::string& databaseDir) {
  std::string d = WithTrailingBackslash(databaseDir);
  if (!d.empty()) d.pop_back();
  return d;
}

}  // namespace

TBackupJob::TBackupJob(const std::string& target, std::shared_ptr<IJobReports> reports,
                       const std::string& databaseDir, TJobSystem system)
    : BackupRoot(WithTrailingBackslash(target) + CleanPathName(FolderOf(databaseDir)) + "\\"),
      DatabaseDir(WithTrailingBackslash(FolderOf(databaseDir))),
      reports_(std::move(reports)),
      system_(std::move(system)),
      files_(*system_.Files) {}

void TBackupJob::Report(const std::string& text, bool addToLog, bool failed) {
  auto item = std::make_unique<TBackupItem>();
  item->Text = ItemText(text, failed);
  item->DatabaseDir = DatabaseDir;
  item->Failed = failed;
  item->Logged = addToLog;
  if (addToLog) logLines_.push_back(LoggedLine(text, failed, system_.NowText()));
  reports_->PostReport(std::move(item));
}

void TBackupJob::PostFinal(bool hasErrors) {
  auto item = std::make_unique<TBackupItem>();
  item->Text = JoinLines(logLines_);
  item->DatabaseDir = DatabaseDir;
  item->Failed = hasErrors;
  item->Final = true;
  reports_->PostReport(std::move(item));
}

}  // namespace qv
