#include "app/DatabaseList.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "app/BaseList.h"
#include "util/FileUtils.h"
#include "util/Seams.h"
#include "util/WinText.h"

namespace qv {
namespace {

struct TRegKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using TRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TRegKeyCloser>;

}  // namespace

std::string DatabaseUtilFolder() {
  std::string folder = ProgramFolder() + kDatabaseUtilFolderName + "\\";
  ForceFolders(folder);
  return folder;
}

void ReadBaseList(const std::string& folder, TStringList& list) {
  std::string path =
      WithTrailingBackslash(folder.empty() ? ProgramFolder() : folder) + kBaseListFileName;
  if (!IsExistingFile(path)) return;
  try {
    auto stream = OpenFileStreamRetry(path, TFileAccess::Read, TFileShare::DenyNone);
    ParseBaseList(ReadAllBytes(*stream), list);
  } catch (...) {
    // An unreadable list keeps what was read: nothing.
  }
}

bool ReadInstallLocation(std::string& location) {
  location.clear();
  // The office application's installer is a 32-bit one: on 64-bit Windows its
  // uninstall entry lies in the 32-bit view of the registry.
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_32KEY, &opened) !=
      ERROR_SUCCESS)
    return false;
  TRegKey key(opened);
  wchar_t buffer[4096] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), L"InstallLocation", nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ))
    location = Narrow(std::wstring(buffer, size / sizeof(wchar_t)).c_str());
  return true;
}

TStringList InstalledDatabaseList() {
  TStringList list;
  std::string location;
  if (!ReadInstallLocation(location)) return list;
  ReadBaseList(location, list);
  return list;
}

TStringList LoadUserDefinedList(std::string* problem) {
  TStringList lines;
  std::string path = DatabaseUtilFolder() + kUserListFileName;
  try {
    LoadTextList(lines, path);
  } catch (const std::exception& e) {
    if (problem)
      *problem = "Die Datenbankliste " + path + " kann nicht gelesen werden: " + e.what();
    return {};
  }
  // A line of nothing names no database; a file of such lines is no list.
  // Blanks and tabs around a typed path are dropped: kept, they would name a
  // folder that does not exist, and the database would be skipped unseen.
  TStringList named;
  for (const std::string& line : lines)
    if (std::string path = Trim(line); !path.empty()) named.push_back(path);
  return named;
}

TStringList CurrentDatabaseList(std::string* problem) {
  TStringList installed = InstalledDatabaseList();
  return ChooseDatabaseList(installed, installed, LoadUserDefinedList(problem));
}

}  // namespace qv
