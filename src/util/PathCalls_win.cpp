#include "util/PathCalls.h"

#include "util/LongPath.h"
#include "util/WinText.h"

namespace qv {

std::wstring WinPath(const std::string& path) { return Widen(LongPathForm(path)); }

HANDLE OpenFileHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
  return CreateFileW(WinPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

DWORD ReadAttributes(const std::string& path) { return GetFileAttributesW(WinPath(path).c_str()); }

bool WriteAttributes(const std::string& path, DWORD attributes) {
  return SetFileAttributesW(WinPath(path).c_str(), attributes) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(WinPath(path).c_str()) != 0; }

bool MakeFolder(const std::string& folder) {
  return CreateDirectoryW(WinPath(folder).c_str(), nullptr) != 0;
}

bool RemoveFolder(const std::string& folder) {
  return RemoveDirectoryW(WinPath(folder).c_str()) != 0;
}

bool MoveEntry(const std::string& from, const std::string& to, DWORD flags) {
  return MoveFileExW(WinPath(from).c_str(), WinPath(to).c_str(), flags) != 0;
}

HANDLE FindFirstEntry(const std::string& pattern, WIN32_FIND_DATAW& data) {
  return FindFirstFileW(WinPath(pattern).c_str(), &data);
}

std::string FullPathName(const std::string& path) {
  if (path.empty()) return path;
  std::wstring wide = Widen(path);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  DWORD n = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return path;
  full.resize(n);
  return Narrow(full);
}

}  // namespace qv
