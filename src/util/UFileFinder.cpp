#include "util/UFileFinder.h"

#include "util/Seams.h"
#include "util/WinText.h"
#include "util/WinTime.h"

namespace qv {

void TCustomFileFinder::SetSearchFolder(const std::string& folder) {
  CloseAll();
  searchFolder_ = folder;
  if (!searchFolder_.empty() && searchFolder_.back() != '\\') searchFolder_ += '\\';
}

void TCustomFileFinder::CloseAll() {
  search_.reset();
  if (!stack_.empty()) searchFolder_ = stack_.front().Folder;  // the folder that was set
  stack_.clear();
}

bool TCustomFileFinder::OpenSearch() {
  search_.reset(FindFirstFileW(Widen(searchFolder_ + "*").c_str(), &data_));
  return search_.valid();
}

bool TCustomFileFinder::ReadNext() {
  return search_.valid() && FindNextFileW(search_.get(), &data_);
}

bool TCustomFileFinder::ReportIfAccepted(const std::string& path) {
  foundPath_ = path;
  return Accept();
}

void TCustomFileFinder::Progress() {
  if (OnProgress) OnProgress(*this);
}

// Closes the current search and continues in the enclosing folder.
bool TCustomFileFinder::ResumeParent() {
  search_.reset();
  if (stack_.empty()) return false;
  searchFolder_ = std::move(stack_.back().Folder);
  search_ = std::move(stack_.back().Search);
  stack_.pop_back();
  return true;
}

bool TCustomFileFinder::FindNext() {
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
