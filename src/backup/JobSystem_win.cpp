// The Windows side of a backup job: files with the program's retry rules,
// directory walks through the finder, the ZIP writer and the engine's
// table check.
#include <windows.h>

#include "backup/JobPorts.h"
#include "backup/TableCheck.h"
#include "util/FileErrors.h"
#include "util/FileUtils.h"
#include "util/LocaleText.h"
#include "util/PathCalls.h"
#include "util/FileWalker.h"
#include "util/WinText.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

std::uint64_t Ticks(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

class TZipArchiveWriter final : public IArchiveWriter {
 public:
  TZipArchiveWriter() { zip_.OpenSharedWithRetry = true; }
  void CreateArchive(const std::string& path) override { zip_.CreateArchive(path); }
  void SetBaseFolder(const std::string& folder) override { zip_.SetBaseFolder(folder); }
  bool TakeOverFrom(const std::vector<std::string>& partPaths) override {
    return zip_.TakeOverFromParts(partPaths);
  }
  bool AddFile(const std::string& path) override {
    try {
      zip_.AddFile(path);
      return true;
    } catch (const EFileRemoved&) {
      // Temporary files of the office application come and go during a run;
      // a folder, drive or share that went away still fails the set.
      return false;
    }
  }
  void Close() override { zip_.Close(); }

 private:
  TZipWriter zip_;
};

class TWinJobFiles final : public IJobFiles {
 public:
  bool ForceFolders(const std::string& folder) override { return qv::ForceFolders(folder); }
  bool IsExistingFile(const std::string& path) override { return qv::IsExistingFile(path); }
  bool IsExistingFolder(const std::string& folder) override { return qv::IsExistingFolder(folder); }

  void Walk(const std::string& folder, bool recurse,
            const std::function<void(const TWalkItem&)>& visit) override {
    TFileWalker finder(true, true, recurse, folder);
    while (finder.FindNext()) {
      const TFindEntry& entry = finder.CurrentEntry();
      TWalkItem item;
      item.Path = finder.FoundPath();
      item.Folder = entry.IsFolder();
      item.Size = entry.Size;
      item.CreationTicks = Ticks(entry.CreationTime);
      item.CreatedKnown = FileTimeToLocal(entry.CreationTime, item.Created);
      visit(item);
    }
  }

  bool CopyFile(const std::string& source, const std::string& target,
                std::string& reason) override {
    return CopyFileRetry(source, target, &reason);
  }
  bool DeleteFile(const std::string& path) override { return DeleteFileRetry(path); }
  void DeleteFolderTree(const std::string& folder) override { qv::DeleteFolderTree(folder, true); }

  void RenameFolder(const std::string& from, const std::string& to) override {
    std::string source = WithoutTrailingBackslash(from);
    std::string target = WithoutTrailingBackslash(to);
    if (!MoveEntry(source, target, MOVEFILE_WRITE_THROUGH)) {
      DWORD error = GetLastError();
      throw EFileError("Verzeichnis " + source + " kann nicht in " + target +
                           " umbenannt werden: " + SysErrorMessage(error),
                       error);
    }
  }

  std::unique_ptr<IArchiveWriter> NewArchiveWriter() override {
    return std::make_unique<TZipArchiveWriter>();
  }
};

}  // namespace

TJobSystem DefaultJobSystem() {
  TJobSystem system;
  system.Files = std::make_shared<TWinJobFiles>();
  system.NewChecker = [] { return std::make_unique<TTableCheckSession>(); };
  system.NowText = NowDateTimeText;
  system.Thousands = ThousandsText;
  return system;
}

}  // namespace qv
