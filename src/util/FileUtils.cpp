#include "util/FileUtils.h"

#include <objbase.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <vector>

#include "util/FileErrors.h"
#include "util/PathCalls.h"
#include "util/Retry.h"
#include "util/Seams.h"
#include "util/SiblingNames.h"
#include "util/WinText.h"

namespace qv {
namespace {

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME;
}

// Looks the path up in its folder's listing (for files whose attributes
// cannot be read while another process holds them).
bool ListedAsFile(const std::string& path) {
  WIN32_FIND_DATAW data;
  TFindHandle find(FindFirstEntry(path, data));
  return find.valid() && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder link counts as existing when its target can be opened.
bool LinkTargetOpens(const std::string& path) {
  TFileHandle h(OpenFileHandle(path, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
  return h.valid();
}

bool FolderExistsForForce(const std::string& path) {
  DWORD attributes = ReadAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return !(IsMissingError(error) || error == ERROR_BAD_NETPATH);
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return LinkTargetOpens(path);
  return true;
}

bool DeleteOneFile(const std::string& path) {
  DWORD attributes = ReadAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  WriteAttributes(path, FILE_ATTRIBUTE_NORMAL);
  if (RemoveFile(path)) return true;
  WriteAttributes(path, attributes);
  return false;
}

constexpr DWORD kUnlisted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Entries of a folder except ".", ".." and hidden or system ones.
template <class Visit>
void ForEachListedEntry(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAW data;
  TFindHandle find(FindFirstEntry(folder + "*.*", data));
  if (!find.valid()) return;
  do {
    std::string name = Narrow(data.cFileName);
    if (name == "." || name == ".." || (data.dwFileAttributes & kUnlisted)) continue;
    visit(name, data.dwFileAttributes);
  } while (FindNextFileW(find.get(), &data));
}

void DeleteTreeLevel(const std::string& folder, bool withRoot, int depth) {
  ForEachListedEntry(folder, [&](const std::string& name, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A link is removed as a link; what it points to is not ours to delete.
      RemoveFolder(folder + name);
      return;
    }
    DeleteTreeLevel(folder + name + "\\", withRoot, depth + 1);
  });
  if (depth == 0 && !withRoot) return;
  ForEachListedEntry(folder, [&](const std::string& name, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteOneFile(folder + name);
  });
  DWORD attributes = ReadAttributes(folder);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    RemoveFolder(folder);
}

}  // namespace

void CopyStreamData(TFileStream& source, TFileStream& target) {
  std::vector<char> block(kCopyBlockSize);
  source.Seek(0);
  for (;;) {
    std::size_t n = source.Read(block.data(), block.size());
    if (n == 0) break;
    target.Write(block.data(), n);
  }
}

namespace {

std::string ReadWholeFile(const std::string& path, TFileShare share) {
  TFileStream stream(path, TFileAccess::Read, share);
  return ReadAllBytes(stream);
}

// One attempt of a save: the complete new content replaces the file
// (keeping its attributes).
void SaveBytesOnce(const std::string& bytes, const std::string& path) {
  WriteReplacing(
      path, [&](TFileStream& stream) { stream.Write(bytes.data(), bytes.size()); }, true);
}

}  // namespace

TScratchFile::~TScratchFile() { RemoveFile(path_); }

std::string TemporarySibling(const std::string& path) {
  return TemporarySiblingName(path, UniqueNumber());
}

void ReplaceWithTemporary(const std::string& temporary, const std::string& target,
                          bool clearProtection) {
  DWORD attributes = ReadAttributes(target);
  bool existed = clearProtection && attributes != INVALID_FILE_ATTRIBUTES;
  if (existed)
    WriteAttributes(target, attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  if (!MoveEntry(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD error = GetLastError();
    if (existed) WriteAttributes(target, attributes);
    throw EFCreateError(target, error);
  }
  if (existed) WriteAttributes(target, attributes);
}

void WriteReplacing(const std::string& target, const std::function<void(TFileStream&)>& write,
                    bool clearProtection) {
  ForceFileFolder(target);
  TScratchFile temporary(TemporarySibling(target));
  {
    TFileStream stream(temporary.Path(), TFileAccess::Create, TFileShare::Exclusive);
    write(stream);
    stream.Flush();
  }
  ReplaceWithTemporary(temporary.Path(), target, clearProtection);
}

bool IsExistingFile(const std::string& path) {
  DWORD attributes = ReadAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (IsMissingError(GetLastError())) return false;
    return ListedAsFile(path);
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  TFileHandle target(
      OpenFileHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  return target.valid() || GetLastError() == ERROR_SHARING_VIOLATION;
}

bool WasRemoved(const std::string& path, unsigned long openError) {
  return openError == ERROR_FILE_NOT_FOUND && !IsExistingFile(path) &&
         IsExistingFolder(ExtractFilePath(path));
}

bool IsExistingFolder(const std::string& path) {
  DWORD attributes = ReadAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceFolders(const std::string& folder) {
  if (folder.empty()) throw EInOutError(kCannotCreateFolder, 3);
  std::string dir = WithoutTrailingBackslash(folder);
  if (dir.size() < 3 || FolderExistsForForce(dir)) return true;
  std::string parent = ExtractFilePath(dir);
  if (parent == dir) return true;
  if (!ForceFolders(parent)) return false;
  if (MakeFolder(dir)) return true;
  // Another thread (two jobs start at once) may have made it in between.
  return GetLastError() == ERROR_ALREADY_EXISTS && IsExistingFolder(dir);
}

void ForceFileFolder(const std::string& filePath) {
  std::string folder = ExtractFilePath(filePath);
  if (!IsExistingFolder(folder)) ForceFolders(folder);
}

void DeleteFolderTree(const std::string& folder, bool withRoot) {
  if (folder.empty()) return;
  DeleteTreeLevel(WithTrailingBackslash(folder), withRoot, 0);
}

bool DeleteFileRetry(const std::string& path) {
  // A refused deletion is tried again at once; only a raised error pauses.
  return WithRetryUntil<std::exception>(
      kTextRetry, [&] { return !IsExistingFile(path) || RemoveFile(path); },
      [](bool gone) { return gone; });
}

bool CopyFileRetry(const std::string& source, const std::string& target, std::string* reason,
                   TCopyKind kind) {
  ForceFolders(ExtractFilePath(target));
  TFileStream input(source, TFileAccess::Read, TFileShare::DenyNone);
  try {
    WithRetry<std::exception>(kCopyRetry, [&] {
      if (kind == TCopyKind::Scratch) {
        TFileStream output(target, TFileAccess::Create, TFileShare::Exclusive);
        CopyStreamData(input, output);
        return;
      }
      // A kept copy that breaks off leaves the last good one in place.
      WriteReplacing(
          target, [&](TFileStream& output) { CopyStreamData(input, output); }, false);
    });
    return true;
  } catch (const std::exception& e) {
    if (reason) *reason = e.what();
    return false;
  }
}

std::unique_ptr<TFileStream> OpenFileStreamRetry(const std::string& path, TFileAccess access,
                                                 TFileShare share) {
  return WithRetry<std::exception>(kTextRetry, [&] {
    if (access == TFileAccess::Create) ForceFileFolder(path);
    return std::make_unique<TFileStream>(path, access, share);
  });
}

void LoadTextList(TStringList& list, const std::string& path) {
  WithRetry<std::exception>(kTextRetry, [&] {
    if (!IsExistingFile(path)) return;
    list = SplitLines(FromAnsi(ReadWholeFile(path, TFileShare::DenyWrite)));
  });
}

void SaveTextList(const TStringList& list, const std::string& path) {
  std::string bytes = ToAnsi(JoinLines(list));
  WithRetry<std::exception>(kTextRetry, [&] { SaveBytesOnce(bytes, path); });
}

bool TrySaveTextList(const TStringList& list, const std::string& path) {
  return TrySaveBytes(ToAnsi(JoinLines(list)), path);
}

bool TrySaveBytes(const std::string& bytes, const std::string& path) {
  try {
    SaveBytesOnce(bytes, path);
    return true;
  } catch (...) {
    return false;
  }
}

// --- TBetterFileStream ------------------------------------------------------

TBetterFileStream::TBetterFileStream(const std::string& path, bool clearProtection,
                                     TDisposition disposition)
    : TBetterFileStream(path, Open(path, clearProtection, disposition)) {}

TBetterFileStream::TBetterFileStream(const std::string& path, TOpened opened)
    : TFileStream(path, std::move(opened.Handle)),
      savedAttributes_(opened.Attributes),
      attributesChanged_(opened.Changed) {}

TBetterFileStream::TOpened TBetterFileStream::Open(const std::string& path, bool clearProtection,
                                                   TDisposition disposition) {
  TOpened opened;
  if (clearProtection && IsExistingFile(path)) {
    opened.Attributes = ReadAttributes(path);
    DWORD attributes = opened.Attributes;
    if (attributes & FILE_ATTRIBUTE_READONLY) attributes &= ~FILE_ATTRIBUTE_READONLY;
    if (attributes & FILE_ATTRIBUTE_HIDDEN) attributes &= ~FILE_ATTRIBUTE_HIDDEN;
    WriteAttributes(path, attributes);
    opened.Changed = true;
  }
  opened.Handle.reset(OpenFileHandle(
      path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
      disposition == CreateAlways ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (!opened.Handle.valid()) {
    DWORD error = GetLastError();
    if (opened.Changed) WriteAttributes(path, opened.Attributes);
    throw EFCreateError(path, error);
  }
  return opened;
}

TBetterFileStream::~TBetterFileStream() {
  Close();
  if (attributesChanged_) WriteAttributes(Path(), savedAttributes_);
}

// --- Folders, network, names ----------------------------------------------

std::string TempSubfolder(const std::string& name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::string folder = Narrow(std::wstring(buffer, n));
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  folder += "KXTempDir\\";
  if (!name.empty()) folder += name + "\\";
  ForceFolders(folder);
  return folder;
}

std::string SpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)) || !buffer[0]) {
    buffer[0] = 0;
    SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE);
  }
  std::string path = Narrow(buffer);
  return path.empty() ? path : WithTrailingBackslash(path);
}

namespace {

std::wstring UniversalName(const std::wstring& path) {
  std::vector<BYTE> buffer(2048);
  DWORD size = static_cast<DWORD>(buffer.size());
  if (WNetGetUniversalNameW(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size) !=
      NO_ERROR)
    return path;
  return reinterpret_cast<UNIVERSAL_NAME_INFOW*>(buffer.data())->lpUniversalName;
}

DWORD AddConnection(std::wstring& remote) {
  NETRESOURCEW resource{};
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.dwType = RESOURCETYPE_ANY;
  resource.lpRemoteName = remote.data();
  return WNetAddConnection2W(&resource, nullptr, nullptr, CONNECT_INTERACTIVE);
}

}  // namespace

std::string ExpandUncFileName(const std::string& path) {
  wchar_t full[4096] = {};
  if (path.empty() || !GetFullPathNameW(Widen(path).c_str(), 4096, full, nullptr)) return path;
  std::wstring unc = full;
  if (unc.size() >= 2 && unc[1] == L':') unc = UniversalName(unc);
  return Narrow(unc);
}

DWORD ReconnectNetworkPath(const std::string& path) {
  std::wstring unc = Widen(ExpandUncFileName(path));
  if (unc.rfind(L"\\\\", 0) != 0) return 0;
  if (unc.back() == L'\\') unc.pop_back();
  DWORD result = AddConnection(unc);
  if (result != NO_ERROR &&
      WNetCancelConnection2W(unc.c_str(), CONNECT_UPDATE_PROFILE, TRUE) == NO_ERROR)
    result = AddConnection(unc);
  return result;
}

std::string ComputerName() {
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(buffer, &size)) return {};
  return Narrow(std::wstring(buffer, size));
}

std::uint32_t UniqueNumber() {
  GUID guid{};
  CoCreateGuid(&guid);
  std::array<std::uint8_t, 16> bytes{};
  static_assert(sizeof(GUID) == 16);
  memcpy(bytes.data(), &guid, 16);
  return ElfHash(GuidText(bytes));
}

}  // namespace qv
