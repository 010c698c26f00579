#pragma once
// What a backup job needs from the world, as small interfaces: a way to post
// its reports, the file work (folders, walks, copies, archives) and the
// engine's table check. The job's decisions stay portable; the Windows side
// (JobSystem_win.cpp) and test fakes stand behind these.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backup/JobReport.h"
#include "util/FileErrors.h"
#include "util/Seams.h"

namespace qv {

class IJobReports {
 public:
  virtual ~IJobReports() = default;
  // Hands the item to the receiver (the pool's window on Windows).
  virtual void PostReport(std::unique_ptr<TJobReport> item) = 0;
};

// An item of a directory walk as its directory entry describes it.
struct TWalkItem {
  std::string Path;  // folders with a trailing "\"
  bool Folder = false;
  std::uint64_t Size = 0;
  std::uint64_t CreationTicks = 0;  // for ordering
  TLocalTime Created;               // local calendar time of creation
  bool CreatedKnown = false;
};

class IArchiveWriter {
 public:
  virtual ~IArchiveWriter() = default;
  // Ends an open archive first; raises when the file cannot be made.
  virtual void CreateArchive(const std::string& path) = 0;
  virtual void SetBaseFolder(const std::string& folder) = 0;
  // Files that an earlier set holds unchanged are copied from its parts
  // instead of being compressed again. False (and nothing is taken from it)
  // when one of the parts lacks a readable central directory.
  virtual bool TakeOverFrom(const std::vector<std::string>& partPaths) = 0;
  // False when the file is gone (removed since its folder was listed): no
  // entry is made. Raises when the file is there but cannot be read.
  virtual bool AddFile(const std::string& path) = 0;
  // Ends the open archive; nothing happens when none is open.
  virtual void Close() = 0;
};

class IJobFiles {
 public:
  virtual ~IJobFiles() = default;
  virtual bool ForceFolders(const std::string& folder) = 0;
  virtual bool IsExistingFile(const std::string& path) = 0;
  virtual bool IsExistingFolder(const std::string& folder) = 0;
  // Visits the files and folders below folder (depth-first, pre-order,
  // recursively when recurse); raises EWalkError when a folder cannot be read.
  virtual void Walk(const std::string& folder, bool recurse,
                    const std::function<void(const TWalkItem&)>& visit) = 0;
  // True when target holds a complete copy, else false with the reason; the
  // last good target stays. Raises when source cannot be opened.
  virtual bool CopyFile(const std::string& source, const std::string& target,
                        std::string& reason) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual void DeleteFolderTree(const std::string& folder) = 0;
  // Gives the folder its new name; raises with the reason when that fails.
  virtual void RenameFolder(const std::string& from, const std::string& to) = 0;
  virtual std::unique_ptr<IArchiveWriter> NewArchiveWriter() = 0;
};

// Checks tables on private copies through the engine.
class ITableChecker {
 public:
  virtual ~ITableChecker() = default;
  // Raises when the engine cannot be reached.
  virtual void Connect() = 0;
  // The private folder that holds the copies of the last table checked.
  virtual const std::string& CheckDir() const = 0;
  // Copies the table's files and opens the copy; beforeOpen runs between
  // the two. Raises the reason when the table is not sound.
  virtual void CheckCopy(const std::string& databaseDir, const std::string& base,
                         const std::string& name, const std::function<void()>& beforeOpen) = 0;
};

// Everything a job uses besides its reports.
struct TJobSystem {
  std::shared_ptr<IJobFiles> Files;
  std::function<std::unique_ptr<ITableChecker>()> NewChecker;
  // The program's date-time text of now, and a number with the locale's
  // thousands separator.
  std::function<std::string()> NowText;
  std::function<std::string(std::int64_t)> Thousands;
};

// The system of the running program (Windows).
TJobSystem DefaultJobSystem();

}  // namespace qv
