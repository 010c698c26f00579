#pragma once
// Files and folders with the program's fixed retry rules. Paths are UTF-8;
// the text files of the program's own formats are ANSI on disk.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "util/FileStream.h"
#include "util/StrUtils.h"

namespace qv {

// Retry rules: util/Retry.h.
inline constexpr std::size_t kCopyBlockSize = 61440;

bool IsExistingFile(const std::string& path);
// Whether a file that failed to open with openError was removed from a folder
// that is still there (not: its folder, drive or share went away).
bool WasRemoved(const std::string& path, unsigned long openError);
bool IsExistingFolder(const std::string& path);

// Creates the folder and its missing parents; raises EInOutError for an
// empty path, answers false when a level cannot be created.
bool ForceFolders(const std::string& folder);
void ForceFileFolder(const std::string& filePath);
void DeleteFolderTree(const std::string& folder, bool withRoot);

bool DeleteFileRetry(const std::string& path);
// What a copy is for: a kept copy replaces the old one only when it is whole
// and on the disk; a scratch copy (private, thrown away after use) is written
// in place and left to the system's cache.
enum class TCopyKind { Kept, Scratch };
// True when the target was written whole; raises when the source cannot be
// opened. reason receives the last failure's text.
bool CopyFileRetry(const std::string& source, const std::string& target,
                   std::string* reason = nullptr, TCopyKind kind = TCopyKind::Kept);
std::unique_ptr<TFileStream> OpenFileStreamRetry(const std::string& path, TFileAccess access,
                                                 TFileShare share);

// Replaces the lines when the file exists (ANSI on disk); keeps them otherwise.
void LoadTextList(TStringList& list, const std::string& path);
// Writes every line + CR LF (ANSI). The old file is replaced only once the new
// content is complete on disk, so a failure never leaves it truncated.
void SaveTextList(const TStringList& list, const std::string& path);
bool TrySaveTextList(const TStringList& list, const std::string& path);
// TrySaveTextList for content that is bytes already (no code page conversion).
bool TrySaveBytes(const std::string& bytes, const std::string& path);

// A name beside path for new content that replaces path once it is complete.
std::string TemporarySibling(const std::string& path);
// The name of a file that must not outlive the scope: it is removed at the
// end whatever happened (after it has been moved into place, nothing is left).
class TScratchFile {
 public:
  explicit TScratchFile(std::string path) : path_(std::move(path)) {}
  ~TScratchFile();
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
// Moves a complete temporary file over target; raises EFCreateError (the
// temporary file stays for the caller to remove). With clearProtection a
// read-only or hidden target is replaced too and keeps those attributes.
void ReplaceWithTemporary(const std::string& temporary, const std::string& target,
                          bool clearProtection);
// The one way to replace a file with new content: write writes the complete
// content into a file beside target, which then replaces target. Any failure
// leaves target as it was and removes the temporary file.
void WriteReplacing(const std::string& target, const std::function<void(TFileStream&)>& write,
                    bool clearProtection);
// Copies the whole source, from its start, in blocks of 61,440 bytes.
void CopyStreamData(TFileStream& source, TFileStream& target);

// A read-write stream that may clear the read-only and hidden attributes of
// an existing file for its lifetime and puts them back when released.
class TBetterFileStream : public TFileStream {
 public:
  enum TDisposition { OpenAlways = 0, CreateAlways = 1 };
  TBetterFileStream(const std::string& path, bool clearProtection, TDisposition disposition);
  ~TBetterFileStream() override;

 private:
  struct TOpened {
    TFileHandle Handle;
    DWORD Attributes = 0;
    bool Changed = false;
  };
  TBetterFileStream(const std::string& path, TOpened opened);
  static TOpened Open(const std::string& path, bool clearProtection, TDisposition disposition);
  DWORD savedAttributes_;
  bool attributesChanged_;
};

// {temp}\KXTempDir\{name}\ (without the name part for an empty name), created.
std::string TempSubfolder(const std::string& name);
// A shell folder with a trailing "\", or "" when the shell knows none.
std::string SpecialFolder(int csidl);
DWORD ReconnectNetworkPath(const std::string& path);
// The full path, with a drive letter mapped to a network share replaced by
// the share's UNC name.
std::string ExpandUncFileName(const std::string& path);
std::string ComputerName();
// ElfHash of a new GUID's text: names scratch folders and components.
std::uint32_t UniqueNumber();

}  // namespace qv
