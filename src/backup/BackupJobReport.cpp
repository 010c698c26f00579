// How a backup job reports: each line as it happens, and all logged lines
// in its final item.
#include "backup/BackupJob.h"
#include "backup/ReportText.h"

namespace qv {
void TBackupJob::Report(const std::string& text, bool addToLog, bool failed) {
  if (HoldEarlyLine(text, addToLog, failed)) return;
  auto item = std::make_unique<TJobReport>();
  item->Text = ItemText(text, failed);
  item->DatabaseDir = DatabaseDir;
  item->Failed = failed;
  item->Logged = addToLog;
  if (addToLog) logLines_.push_back(LoggedLine(text, failed, system_.NowText()));
  reports_->PostReport(std::move(item));
}

void TBackupJob::PostFinal(bool hasErrors) {
  auto item = std::make_unique<TJobReport>();
  item->Text = JoinLines(logLines_);
  item->DatabaseDir = DatabaseDir;
  item->Failed = hasErrors;
  item->Final = true;
  reports_->PostReport(std::move(item));
}

}  // namespace qv
