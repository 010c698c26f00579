// Construction and reporting of TBackupJob.
#include "backup/BackupJob.h"
#include "backup/ReportText.h"
#include "util/LocaleText.h"

namespace qv {

TBackupJob::TBackupJob(const std::string& target, std::shared_ptr<TJobChannel> channel,
                       const std::string& databaseDir)
    : NotifyWindow(channel->Window()), channel_(std::move(channel)) {
  std::string root = WithTrailingBackslash(target);
  std::string d = WithTrailingBackslash(databaseDir);
  if (!d.empty()) d.pop_back();
  BackupRoot = root + CleanPathName(d) + "\\";
  DatabaseDir = WithTrailingBackslash(d);
}

void TBackupJob::Report(const std::string& text, bool addToLog, bool failed) {
  auto item = std::make_unique<TBackupItem>();
  item->Text = ItemText(text, failed);
  item->DatabaseDir = DatabaseDir;
  item->Failed = failed;
  item->Logged = addToLog;
  if (addToLog) LogLines.push_back(LoggedLine(text, failed, NowDateTimeText()));
  PostItem(std::move(item));
}

void TBackupJob::PostItem(std::unique_ptr<TBackupItem> item) {
  channel_->PostReport(std::move(item));
}

void TBackupJob::PostFinal(bool hasErrors) {
  auto item = std::make_unique<TBackupItem>();
  item->Text = JoinLines(LogLines);
  item->DatabaseDir = DatabaseDir;
  item->Failed = hasErrors;
  item->Final = true;
  PostItem(std::move(item));
}

}  // namespace qv
