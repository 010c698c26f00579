#pragma once
// The program's file and directory calls. Each hands its W function the long
// form of the UTF-8 path (LongPathForm), so that no path the program meets is
// refused for its length; nothing else in the program calls these W functions
// on a path. Errors are left in GetLastError() as the W functions leave them.
#include <windows.h>

#include <string>

namespace qv {

// The wide text the W functions are given for path.
std::wstring WinPath(const std::string& path);

HANDLE OpenFileHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags);
// INVALID_FILE_ATTRIBUTES when the attributes cannot be read.
DWORD ReadAttributes(const std::string& path);
bool WriteAttributes(const std::string& path, DWORD attributes);
bool RemoveFile(const std::string& path);
bool MakeFolder(const std::string& folder);
bool RemoveFolder(const std::string& folder);
bool MoveEntry(const std::string& from, const std::string& to, DWORD flags);
// FindFirstFileW on a pattern such as "C:\folder\*".
HANDLE FindFirstEntry(const std::string& pattern, WIN32_FIND_DATAW& data);

// A path given relative to the current folder or drive made full (in its
// plain form), so that the long form can be used for it; "" stays "".
std::string FullPathName(const std::string& path);

}  // namespace qv
