#pragma once
// Which backup folder each database of a run writes to. Every database needs
// a folder of its own: two that shared one would overwrite each other's table
// copies and take each other's archive sets for their own.
#include <functional>
#include <string>
#include <vector>

#include "util/StrUtils.h"

namespace qv {

struct TBackupStart {
  std::string DatabaseDir;  // as listed
  std::string FolderName;   // below the target
};

// The database a backup folder (by its name below the target) was made for,
// as recorded in it; empty when none is recorded.
using TFolderOwner = std::function<std::string(const std::string& folderName)>;

// The databases of a run in list order. A database listed twice is started
// once. Its folder is its cleaned path, unless that folder was made for
// another database or a database earlier in the list has it: then the name
// gets a mark of the database's own path.
std::vector<TBackupStart> PlanBackupFolders(const TStringList& databaseDirs,
                                            const TFolderOwner& ownerOf = nullptr);

// Below a backup folder: the copies of the tables of the last sound check.
inline constexpr char kDataFolder[] = "DATABASEBACKUP\\DATA\\";
inline constexpr char kData2Folder[] = "DATABASEBACKUP\\DATA2\\";
// Below a backup folder: the file that names the database it was made for.
inline constexpr char kOwnerFile[] = "DATABASEBACKUP\\Datenbankverzeichnis.txt";

// The database folder as written, without its final "\".
std::string DatabaseFolderOf(const std::string& databaseDir);
// The cleaned path of a database folder (with or without its final "\").
std::string BackupFolderName(const std::string& databaseDir);

}  // namespace qv
