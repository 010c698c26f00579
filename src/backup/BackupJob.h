#pragma once
// One backup job per database directory: checks every table on a private
// copy, keeps the sound ones in DATA and DATA2, builds the daily archive sets
// and reports every step. Portable: the file work, the engine and the way
// reports travel come in through JobPorts.h.
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "backup/JobPorts.h"
#include "backup/PartPlan.h"
#include "backup/WorkerThreadPool.h"
#include "util/StrUtils.h"

namespace qv {

// The two daily archive sets of a database directory.
enum class TArchiveKind { Database, Other };

struct TArchiveSetResult {
  bool Created = false;
  std::string Error;
};

// An archive set written under its working name, not yet made the day's set.
struct TPreparedSet {
  bool OneOfToday = false;  // nothing written: today's set exists
  int Count = 0;            // sets of the kind before this one
  std::string Oldest;       // the oldest of them
  std::string Working;      // the set's folder under its working name
  std::string Set;          // its folder under the stamp name
  std::string Error;        // why writing failed
};

// A set folder gets its stamp name only when it is complete; until then it
// carries this suffix, and a folder with it is the leftover of a run that
// was interrupted.
inline constexpr char kUnfinishedSetSuffix[] = ".unfertig";
// Whether a folder's name is a set's stamp ("dd-mm-yyyy-hh-nn-ss"): only such
// folders are sets; others in a kind folder are the user's and stay untouched.
bool IsSetFolderName(const std::string& name);
// A stamp with kUnfinishedSetSuffix: what an interrupted run left behind.
bool IsUnfinishedSetFolderName(const std::string& name);

// Set folders kept per kind.
inline constexpr int kDatabaseSetsKept = 50;
inline constexpr int kOtherSetsKept = 10;

class TBackupJob : public TWorkerThreadJob {
 public:
  // folderName: below target; empty gives the database's cleaned path.
  TBackupJob(const std::string& target, std::shared_ptr<IJobReports> reports,
             const std::string& databaseDir, TJobSystem system = DefaultJobSystem(),
             const std::string& folderName = "");

  void Run() override;

  // Today's archive set of one kind, once per day, keeping `keep` set folders.
  TArchiveSetResult BuildArchiveSet(TArchiveKind kind, int keep);
  // Its two halves: the set written under its working name, then made the
  // day's set (or removed after an error), the oldest set giving way.
  TPreparedSet PrepareArchiveSet(TArchiveKind kind);
  TArchiveSetResult CompleteArchiveSet(const TPreparedSet& prepared, int keep);
  void RenameHeldFolder(const std::string& from, const std::string& to);
  // The parts of the last set, in order, with their final paths.
  const TStringList& ArchiveFiles() const { return archiveFiles_; }

  // {target}\{cleaned database path}\ and the database folder, both with "\".
  const std::string BackupRoot;
  const std::string DatabaseDir;

  // Test seam: parts of a few bytes instead of 1 GiB.
  void SetPartLimitForTest(std::uint64_t limit) { partLimit_ = limit; }

 protected:
  // One line: posted as progress, and kept for the protocol when addToLog.
  void Report(const std::string& text, bool addToLog, bool failed);
  // The last item of the job: all logged lines, each followed by CR LF.
  void PostFinal(bool hasErrors);

 private:
  // What CheckTables found; the copy flags describe the last table.
  enum TCheckFlag : std::uint8_t {
    TableFound = 1,
    CopiedToData = 2,
    CopiedToData2 = 4,
    TableProblem = 8,
  };
  using TCheckFlags = std::uint8_t;

  void RunSteps();
  TCheckFlags CheckTables();
  void CheckTable(ITableChecker& checker, const std::string& tableFile);
  void ReportCheckResult(TCheckFlags flags);
  // Copies the table's files into one backup folder; false (after a red
  // line) when a copy could not be written.
  bool CopyTableFiles(const std::string& fromDir, const std::string& toDir,
                      const std::string& base);
  // Removes what copies cut off by a shutdown or a crash left in a folder.
  void RemoveCutOffCopies(const std::string& folder);

  void BuildArchivesAndReport();

  // The database's set is written while the tables are checked, and made the
  // day's set only after a sound check; its lines wait for the check's.
  void StartEarlyDatabaseSet();
  TArchiveSetResult FinishEarlyDatabaseSet();
  void DiscardEarlyDatabaseSet() noexcept;
  // Takes a line of the early set while the check runs; false when the line
  // is to be sent as usual.
  bool HoldEarlyLine(const std::string& text, bool addToLog, bool failed);
  // Writes the parts into setFolder, taking unchanged files over from the
  // newest readable of earlierSets; the error text, empty when all went well.
  std::string WriteArchiveParts(const std::string& setFolder, const std::string& archiveName,
                                TArchiveKind kind, const std::vector<std::string>& earlierSets);
  void WritePart(IArchiveWriter& writer, const std::string& path,
                 const std::vector<std::string>& files);
  void ReportArchiveSet(TArchiveKind kind, const TArchiveSetResult& result);
  // Reports the text, formed only then, when the last progress line is 5 s old.
  void ThrottledProgress(const std::function<std::string()>& text);

  std::shared_ptr<IJobReports> reports_;
  TJobSystem system_;
  IJobFiles& files_;
  TStringList archiveFiles_;
  TStringList logLines_;
  bool hasErrors_ = false;
  TCheckFlags flags_ = 0;
  std::string connectProblem_;  // why the engine could not be reached
  bool dataCopyFailed_ = false;
  bool data2CopyFailed_ = false;
  std::uint64_t lastProgressMs_ = 0;
  std::uint64_t partLimit_ = kArchivePartLimit;

  struct THeldLine {
    std::string Text;
    bool Failed;
  };
  std::thread earlyThread_;
  std::atomic<std::thread::id> earlyThreadId_{};
  std::mutex earlyLock_;
  bool earlyLinesFlow_ = false;       // under earlyLock_
  std::vector<THeldLine> heldLines_;  // under earlyLock_
  TPreparedSet earlySet_;
  std::exception_ptr earlyFailure_;
  std::atomic<bool> archiveCancelled_{false};
};

}  // namespace qv
