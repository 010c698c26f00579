// The database's archive set written beside the table check: the archive is
// most of a run, and the check and copies leave a core idle. The set keeps
// its working name until the check has found every table sound; after a
// failed check it is removed, so nothing changes for the day's sets.
#include "backup/BackupJob.h"

#include <system_error>

namespace qv {

void TBackupJob::StartEarlyDatabaseSet() {
  archiveCancelled_ = false;
  earlyFailure_ = nullptr;
  earlySet_ = TPreparedSet();
  earlyLinesFlow_ = false;
  heldLines_.clear();
  try {
    earlyThread_ = std::thread([this] {
      earlyThreadId_ = std::this_thread::get_id();
      try {
        earlySet_ = PrepareArchiveSet(TArchiveKind::Database);
      } catch (...) {
        earlyFailure_ = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: the set is written after the check instead.
  }
}

bool TBackupJob::HoldEarlyLine(const std::string& text, bool addToLog, bool failed) {
  if (std::this_thread::get_id() != earlyThreadId_.load()) return false;
  std::lock_guard<std::mutex> guard(earlyLock_);
  if (earlyLinesFlow_) return false;
  // Progress of the archive is not shown while the check reports its own.
  if (addToLog) heldLines_.push_back({text, failed});
  return true;
}

TArchiveSetResult TBackupJob::FinishEarlyDatabaseSet() {
  if (!earlyThread_.joinable()) return BuildArchiveSet(TArchiveKind::Database, kDatabaseSetsKept);
  {
    // The held lines go out in their order; later ones of the archive follow
    // them directly while this thread waits for it.
    std::lock_guard<std::mutex> guard(earlyLock_);
    for (const THeldLine& line : heldLines_) Report(line.Text, true, line.Failed);
    heldLines_.clear();
    earlyLinesFlow_ = true;
  }
  earlyThread_.join();
  earlyThreadId_ = std::thread::id();
  if (earlyFailure_) std::rethrow_exception(earlyFailure_);
  return CompleteArchiveSet(earlySet_, kDatabaseSetsKept);
}

void TBackupJob::DiscardEarlyDatabaseSet() noexcept {
  if (!earlyThread_.joinable()) return;
  archiveCancelled_ = true;
  earlyThread_.join();
  earlyThreadId_ = std::thread::id();
  heldLines_.clear();
  archiveFiles_.clear();
  // A set that was not prepared to its end has nothing of its own to remove.
  if (earlySet_.Working.empty()) return;
  try {
    files_.DeleteFolderTree(earlySet_.Working);
  } catch (...) {
    // What is left carries the working name: the next run removes it.
  }
}

}  // namespace qv
