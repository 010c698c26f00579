#include "util/FileWalker.h"

#include "util/FileErrors.h"
#include "util/PathCalls.h"
#include "util/Seams.h"
#include "util/WinText.h"
#include "util/WinTime.h"

namespace qv {

void TFileWalkerBase::SetSearchFolder(const std::string& folder) {
  CloseAll();
  searchFolder_ = folder;
  if (!searchFolder_.empty() && searchFolder_.back() != '\\') searchFolder_ += '\\';
}

void TFileWalkerBase::CloseAll() {
  search_.reset();
  if (!stack_.empty()) searchFolder_ = stack_.front().Folder;  // the folder that was set
  stack_.clear();
}

namespace {

// A listing that ends (or a folder that is gone) is no failure.
bool IsEndOfListing(DWORD error) {
  return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND ||
         error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

HANDLE TFileWalkerBase::FirstEntry(const std::string& pattern, WIN32_FIND_DATAW& data) {
  return FindFirstEntry(pattern, data);
}

BOOL TFileWalkerBase::NextEntry(HANDLE search, WIN32_FIND_DATAW& data) {
  return FindNextFileW(search, &data);
}

void TFileWalkerBase::FailUnlessEnd(DWORD error) {
  if (!IsEndOfListing(error)) throw EWalkError(searchFolder_, SysErrorMessage(error), error);
}

bool TFileWalkerBase::OpenSearch() {
  HANDLE search = FirstEntry(searchFolder_ + "*", data_);
  DWORD error = GetLastError();  // before anything else can change it
  search_.reset(search);
  if (!search_.valid()) FailUnlessEnd(error);
  return search_.valid();
}

bool TFileWalkerBase::ReadNext() {
  if (!search_.valid()) return false;
  if (NextEntry(search_.get(), data_)) return true;
  FailUnlessEnd(GetLastError());
  return false;
}

bool TFileWalkerBase::ReportIfAccepted(const std::string& path) {
  foundPath_ = path;
  return Accept();
}

void TFileWalkerBase::Progress() {
  if (OnProgress) OnProgress(*this);
}

// Closes the current search and continues in the enclosing folder.
bool TFileWalkerBase::ResumeParent() {
  search_.reset();
  if (stack_.empty()) return false;
  searchFolder_ = std::move(stack_.back().Folder);
  search_ = std::move(stack_.back().Search);
  stack_.pop_back();
  return true;
}

bool TFileWalkerBase::FindNext() {
  bool haveEntry = search_.valid() ? ReadNext() : OpenSearch();
  for (;;) {
    if (!haveEntry) {
      if (!ResumeParent()) return false;
      haveEntry = ReadNext();
      continue;
    }
    entry_.Name = Narrow(data_.cFileName);
    entry_.Attributes = data_.dwFileAttributes;
    entry_.CreationTime = data_.ftCreationTime;
    entry_.LastAccessTime = data_.ftLastAccessTime;
    entry_.LastWriteTime = data_.ftLastWriteTime;
    entry_.Size = (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;

    if (!entry_.IsFolder()) {
      if (FileFilter && ReportIfAccepted(searchFolder_ + entry_.Name)) return true;
    } else if (entry_.Name != "." && entry_.Name != "..") {
      if (Recurse) {
        stack_.push_back({searchFolder_, std::move(search_)});
        searchFolder_ += entry_.Name + "\\";
        if (FolderFilter && ReportIfAccepted(searchFolder_)) return true;  // entered next call
        haveEntry = OpenSearch();
        Progress();
        continue;
      }
      if (FolderFilter && ReportIfAccepted(searchFolder_ + entry_.Name + "\\")) return true;
    }
    Progress();
    haveEntry = ReadNext();
  }
}

bool FileTimeToLocal(const FILETIME& fileTime, TLocalTime& local) {
  FILETIME localFileTime;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&fileTime, &localFileTime) ||
      !FileTimeToSystemTime(&localFileTime, &st))
    return false;
  local = FromSystemTime(st);
  return true;
}

}  // namespace qv
