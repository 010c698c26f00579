#pragma once
// Runs backup jobs on the test thread and keeps what they report.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backup/BackupJob.h"
#include "backup/JobChannel.h"
#include "util/StrUtils.h"

namespace qv::test {

class TJobHarness {
 public:
  TJobHarness() : channel_(std::make_shared<TJobChannel>(nullptr)) {
    channel_->SetPosterForTest([this](HWND, UINT message, WPARAM wParam, LPARAM) {
      if (message != WM_JOBREPORT) return TRUE;
      std::lock_guard<std::mutex> guard(lock_);
      items_.emplace_back(reinterpret_cast<TJobReport*>(wParam));
      return TRUE;
    });
  }
  const std::shared_ptr<TJobChannel>& Channel() const { return channel_; }

  // Runs one job to its end; returns its final item.
  TJobReport RunJob(const std::string& target, const std::string& databaseDir) {
    TBackupJob job(target, channel_, databaseDir);
    job.Run();
    return FinalFor(job.DatabaseDir);
  }

  TJobReport FinalFor(const std::string& databaseDir) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& item : items_)
      if (item->Final && item->DatabaseDir == databaseDir) return *item;
    return {};
  }
  std::vector<std::string> ProgressFor(const std::string& databaseDir) {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> texts;
    for (const auto& item : items_)
      if (!item->Final && item->DatabaseDir == databaseDir) texts.push_back(item->Text);
    return texts;
  }

 private:
  std::shared_ptr<TJobChannel> channel_;
  std::mutex lock_;
  std::vector<std::unique_ptr<TJobReport>> items_;
};

// The logged lines of a final item without their time stamps.
inline TStringList WithoutTimes(const std::string& finalText) {
  TStringList lines;
  for (const std::string& line : SplitLines(finalText)) {
    size_t mark = line.find("<b>");
    if (line.rfind("</b>", 0) == 0 && mark != std::string::npos)
      lines.push_back(line.substr(mark));
    else
      lines.push_back(line);
  }
  return lines;
}

}  // namespace qv::test
