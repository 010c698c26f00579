#include "backup/BackupJobPool.h"

#include "backup/BackupFolders.h"
#include "backup/BackupJob.h"
#include "backup/AuxiliaryJobs.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"
#include "util/Messages.h"

namespace qv {
namespace {

// Collects end messages that could not be posted. WM_TIMER is made when the
// queue is looked at, not posted, so it arrives even when posts fail.
constexpr UINT_PTR kLostEndsTimer = 1;
constexpr UINT kLostEndsIntervalMs = 500;

std::string OwnerFileOf(const std::string& target, const std::string& folderName) {
  return WithTrailingBackslash(target) + folderName + "\\" + kOwnerFile;
}

// The database a backup folder was made for (UTF-8, its first line); empty
// when none is recorded or the record cannot be read.
std::string RecordedOwner(const std::string& ownerFile) {
  try {
    if (!IsExistingFile(ownerFile)) return {};
    TFileStream stream(ownerFile, TFileAccess::Read, TFileShare::DenyWrite);
    TStringList lines = SplitLines(ReadAllBytes(stream));
    return lines.empty() ? std::string() : TrimBlanks(lines[0]);
  } catch (const std::exception&) {
    return {};
  }
}

// A folder without a record gets one: from now on it belongs to this database.
void RecordOwner(const std::string& ownerFile, const std::string& databaseDir) {
  if (IsExistingFile(ownerFile)) return;
  try {
    ForceFileFolder(ownerFile);
    TrySaveBytes(DatabaseFolderOf(databaseDir) + "\r\n", ownerFile);
  } catch (const std::exception&) {
    // Without the record the folder is still the database's by its name.
  }
}

}  // namespace

TBackupJobPool::TBackupJobPool(TReportEvent onReport) : OnReport(std::move(onReport)) {
  pool_ = std::make_unique<TWorkerThreadPool>(2, 2, ProcessPendingMessages);
  window_ = AllocWnd(BindWndMethod<TBackupJobPool, &TBackupJobPool::WndProc>(this));
  channel_ = std::make_shared<TJobChannel>(window_);
  MakeBackupJob = [this](const std::string& target, const std::string& databaseDir,
                         const std::string& folderName) -> TJobPtr {
    return std::make_unique<TBackupJob>(target, channel_, databaseDir, DefaultJobSystem(),
                                        folderName);
  };
  MakeNetworkJob = [this](const std::string& databases) -> TJobPtr {
    return std::make_unique<TNetworkKeepAliveJob>(databases, channel_);
  };
  MakeCacheJob = [this](const std::string& databaseDir, int index) -> TJobPtr {
    return std::make_unique<TCopyCacheJob>(databaseDir, channel_, index);
  };
}

TBackupJobPool::~TBackupJobPool() {
  // Running jobs are awaited while messages flow, so late reports still arrive.
  pool_.reset();
  CollectLostEnds();
  DeallocWnd(window_);
}

void TBackupJobPool::StartBackups(const std::string& target, const std::string& databases) {
  if (Closing) return;
  std::lock_guard<std::mutex> guard(lock_);
  RunProtocol.clear();
  if (activeBackups_.load() != 0) return;
  TStringList existing;
  for (const std::string& line : SplitLines(databases))
    if (IsExistingFolder(line)) existing.push_back(line);
  auto ownerOf = [&](const std::string& folderName) {
    return RecordedOwner(OwnerFileOf(target, folderName));
  };
  for (const TBackupStart& start : PlanBackupFolders(existing, ownerOf)) {
    RecordOwner(OwnerFileOf(target, start.FolderName), start.DatabaseDir);
    ++activeBackups_;
    pool_->AddJob(MakeBackupJob(target, start.DatabaseDir, start.FolderName));
  }
  WatchForLostEnds();
}

void TBackupJobPool::StartNetworkWork(const std::string& databases) {
  if (Closing) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (activeOthers_.load() != 0) return;
  ++activeOthers_;
  pool_->AddJob(MakeNetworkJob(JoinLines(SplitLines(databases))));
  WatchForLostEnds();
}

void TBackupJobPool::StartCacheCopies(const std::string& databases) {
  if (Closing) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (activeOthers_.load() != 0) return;
  TStringList lines = SplitLines(databases);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!IsExistingFolder(lines[i])) continue;
    ++activeOthers_;
    pool_->AddJob(MakeCacheJob(lines[i], static_cast<int>(i)));
  }
  WatchForLostEnds();
}

void TBackupJobPool::WatchForLostEnds() {
  if (activeBackups_.load() > 0 || activeOthers_.load() > 0)
    SetTimer(window_, kLostEndsTimer, kLostEndsIntervalMs, nullptr);
}

void TBackupJobPool::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_JOBREPORT:
      JobReported(std::unique_ptr<TJobReport>(reinterpret_cast<TJobReport*>(message.WParam)));
      break;
    case WM_OTHERJOBDONE:
      OtherJobEnded();
      break;
    case WM_TIMER:
      if (message.WParam == kLostEndsTimer) {
        CollectLostEnds();
        return;
      }
      break;
    case WM_QUERYENDSESSION:
      message.Result = 1;
      return;
  }
  message.Result = DefWindowProcW(window_, message.Msg, message.WParam, message.LParam);
}

void TBackupJobPool::JobReported(std::unique_ptr<TJobReport> item) {
  if (item->Final) {
    RunProtocol.push_back(item->Text + "<hr>");
    --activeBackups_;
  }
  if (OnReport) OnReport(item.get(), activeBackups_.load());
}

void TBackupJobPool::OtherJobEnded() {
  --activeOthers_;
  if (OnReport) OnReport(nullptr, activeBackups_.load());
}

void TBackupJobPool::CollectLostEnds() {
  for (auto& item : channel_->TakeLostFinals()) JobReported(std::move(item));
  for (int n = channel_->TakeLostOtherJobEnds(); n > 0; --n) OtherJobEnded();
  if (activeBackups_.load() <= 0 && activeOthers_.load() <= 0) KillTimer(window_, kLostEndsTimer);
}

}  // namespace qv
