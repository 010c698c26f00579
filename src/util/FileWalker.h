#pragma once
// Walks a folder tree one item per FindNext call: depth-first, pre-order, in
// the order the directory listing gives, one open search per level.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "util/Handles.h"
#include "util/Seams.h"

namespace qv {

// The directory entry of the item just found (what the listing reported).
struct TFindEntry {
  std::string Name;
  DWORD Attributes = 0;
  FILETIME CreationTime{};
  FILETIME LastAccessTime{};
  FILETIME LastWriteTime{};
  std::uint64_t Size = 0;
  bool IsFolder() const { return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

class TFileWalkerBase {
 public:
  using TProgressEvent = std::function<void(TFileWalkerBase&)>;

  TFileWalkerBase() = default;
  virtual ~TFileWalkerBase() = default;
  TFileWalkerBase(const TFileWalkerBase&) = delete;
  TFileWalkerBase& operator=(const TFileWalkerBase&) = delete;

  const std::string& SearchFolder() const { return searchFolder_; }
  // Closes every open search and restarts the walk at the new folder.
  void SetSearchFolder(const std::string& folder);

  bool FileFilter = true;
  bool FolderFilter = false;
  bool Recurse = false;
  TProgressEvent OnProgress;

  // The next item; false at the end of the walk. Raises EWalkError when a
  // folder cannot be listed (only "no more files" and a missing folder end
  // a listing): a walk never silently comes up short.
  bool FindNext();
  const std::string& FoundPath() const { return foundPath_; }
  const TFindEntry& CurrentEntry() const { return entry_; }

 protected:
  // Asked for every item about to be reported, with FoundPath() set.
  virtual bool Accept() = 0;
  // The directory listing calls (test seams for listings that fail).
  virtual HANDLE FirstEntry(const std::string& pattern, WIN32_FIND_DATAW& data);
  virtual BOOL NextEntry(HANDLE search, WIN32_FIND_DATAW& data);

 private:
  struct TLevel {
    std::string Folder;
    TFindHandle Search;
  };
  bool OpenSearch();
  void FailUnlessEnd(DWORD error);
  bool ReadNext();
  bool ReportIfAccepted(const std::string& path);
  void Progress();
  bool ResumeParent();
  void CloseAll();

  std::string searchFolder_;
  std::string foundPath_;
  TFindHandle search_;
  std::vector<TLevel> stack_;
  WIN32_FIND_DATAW data_{};
  TFindEntry entry_;
};

class TFileWalker : public TFileWalkerBase {
 public:
  TFileWalker() = default;
  TFileWalker(bool files, bool folders, bool recurse, const std::string& folder) {
    FileFilter = files;
    FolderFilter = folders;
    Recurse = recurse;
    SetSearchFolder(folder);
  }

 protected:
  bool Accept() override { return true; }
};

// Local calendar time of a file time (for creation dates of found folders).
bool FileTimeToLocal(const FILETIME& fileTime, TLocalTime& local);

}  // namespace qv
