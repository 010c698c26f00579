#pragma once
// Where the database list comes from: the office application's BASE.LST,
// found through its uninstall entry, or the user's UserDefined.txt.
#include <string>

#include "util/StrUtils.h"

namespace qv {

// File and folder names users, the README and the installer know.
inline constexpr char kDatabaseUtilFolderName[] = "DATABASEUTIL";
inline constexpr char kBaseListFileName[] = "BASE.LST";
inline constexpr char kUserListFileName[] = "UserDefined.txt";

inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{5B0E7C3A-91D4-4F62-8A17-"
    L"C2E94D3B6A05}_is1";

// The program's folder + "DATABASEUTIL\", created on every call.
std::string DatabaseUtilFolder();
// Appends the directories of folder\BASE.LST (the program's folder when empty).
void ReadBaseList(const std::string& folder, TStringList& list);
// The value "InstallLocation" of the office application's uninstall entry
// (empty when missing); false when there is no uninstall entry.
bool ReadInstallLocation(std::string& location);
// The lines of BASE.LST in the office application's install folder, or none.
TStringList InstalledDatabaseList();
// The lines of UserDefined.txt that name something (blank lines dropped).
// A file that exists but cannot be read gives none, and problem (when
// asked for) names the file and the reason.
TStringList LoadUserDefinedList(std::string* problem = nullptr);
// The list a run uses: the user's own list, else the installed one.
TStringList CurrentDatabaseList(std::string* problem = nullptr);

}  // namespace qv
