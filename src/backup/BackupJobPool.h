#pragma once
// The bridge between the main window and the worker threads: turns run
// requests into jobs on a pool of two threads and receives their reports on
// the main thread through a hidden window.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "backup/JobReport.h"
#include "backup/JobChannel.h"
#include "backup/WorkerThreadPool.h"
#include "util/HiddenWindow.h"
#include "util/StrUtils.h"

namespace qv {

class TBackupJobPool {
 public:
  // Receives each report (or nullptr when an auxiliary job ended) and the
  // number of backup jobs still running.
  using TReportEvent = std::function<void(const TJobReport* item, int activeBackups)>;
  using TBackupJobFactory = std::function<TJobPtr(
      const std::string& target, const std::string& databaseDir, const std::string& folderName)>;
  using TNetworkJobFactory = std::function<TJobPtr(const std::string& databases)>;
  using TCacheJobFactory = std::function<TJobPtr(const std::string& databaseDir, int index)>;

  explicit TBackupJobPool(TReportEvent onReport);
  ~TBackupJobPool();
  TBackupJobPool(const TBackupJobPool&) = delete;
  TBackupJobPool& operator=(const TBackupJobPool&) = delete;

  // One backup job per line that names an existing folder; none while
  // backup jobs are still active. RunProtocol is emptied in any case.
  void StartBackups(const std::string& target, const std::string& databases);
  void StartNetworkWork(const std::string& databases);
  void StartCacheCopies(const std::string& databases);

  int ActiveBackups() const { return activeBackups_.load(); }
  int ActiveOthers() const { return activeOthers_.load(); }
  HWND Window() const { return window_; }
  const std::shared_ptr<TJobChannel>& Channel() const { return channel_; }

  TStringList RunProtocol;
  bool Closing = false;
  TReportEvent OnReport;

  // The job classes made by the start operations (replaceable in tests).
  TBackupJobFactory MakeBackupJob;
  TNetworkJobFactory MakeNetworkJob;
  TCacheJobFactory MakeCacheJob;

 private:
  void WndProc(TMessage& message);
  void JobReported(std::unique_ptr<TJobReport> item);
  void OtherJobEnded();
  void CollectLostEnds();
  void WatchForLostEnds();

  std::mutex lock_;
  HWND window_ = nullptr;
  std::shared_ptr<TJobChannel> channel_;
  std::unique_ptr<TWorkerThreadPool> pool_;
  std::atomic<int> activeBackups_{0};
  std::atomic<int> activeOthers_{0};
};

}  // namespace qv
