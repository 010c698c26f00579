#pragma once
// Which backup folder each database of a run writes to. Every database needs
// a folder of its own: two that shared one would overwrite each other's table
// copies and take each other's archive sets for their own.
#include <string>
#include <vector>

#include "util/StrUtils.h"

namespace qv {

struct TBackupStart {
  std::string DatabaseDir;  // as listed
  std::string FolderName;   // below the target
};

// The databases of a run in list order. A database listed twice is started
// once. Its folder is its cleaned path; one whose cleaned path a database
// earlier in the list already has gets that name with a mark of its own path.
std::vector<TBackupStart> PlanBackupFolders(const TStringList& databaseDirs);

// The database folder as written, without its final "\".
std::string DatabaseFolderOf(const std::string& databaseDir);
// The cleaned path of a database folder (with or without its final "\").
std::string BackupFolderName(const std::string& databaseDir);

}  // namespace qv
