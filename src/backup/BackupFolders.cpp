#include "backup/BackupFolders.h"

#include <cstdint>
#include <cstdio>

#include "backup/ReportText.h"
#include "util/Cp1252.h"

namespace qv {
namespace {

// "~" and eight hex digits of the path's FNV-1a hash, the same for the same
// folder however it is written (case, final "\"), so that the database keeps
// its folder from run to run.
std::string PathMark(const std::string& databaseDir) {
  std::string path = DatabaseFolderOf(databaseDir), folded;
  for (size_t pos = 0; pos < path.size();) AppendUtf8(folded, FoldUpper1252(DecodeUtf8(path, pos)));
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : folded) {
    hash ^= c;
    hash *= 16777619u;
  }
  char mark[16];
  std::snprintf(mark, sizeof mark, "~%08X", static_cast<unsigned>(hash));
  return mark;
}

bool Contains(const std::vector<TBackupStart>& starts, const std::string& name, bool byFolder) {
  for (const TBackupStart& start : starts)
    if (SameText1252(byFolder ? start.FolderName : DatabaseFolderOf(start.DatabaseDir), name))
      return true;
  return false;
}

}  // namespace

std::string DatabaseFolderOf(const std::string& databaseDir) {
  std::string d = WithTrailingBackslash(databaseDir);
  if (!d.empty()) d.pop_back();
  return d;
}

std::string BackupFolderName(const std::string& databaseDir) {
  return CleanPathName(DatabaseFolderOf(databaseDir));
}

std::vector<TBackupStart> PlanBackupFolders(const TStringList& databaseDirs,
                                            const TFolderOwner& ownerOf) {
  std::vector<TBackupStart> starts;
  for (const std::string& dir : databaseDirs) {
    if (Contains(starts, DatabaseFolderOf(dir), false)) continue;
    std::string name = BackupFolderName(dir);
    std::string owner = ownerOf ? ownerOf(name) : std::string();
    bool ownedByAnother =
        !owner.empty() && !SameText1252(DatabaseFolderOf(owner), DatabaseFolderOf(dir));
    if (ownedByAnother || Contains(starts, name, true)) {
      std::string mark = PathMark(dir);
      name = CleanPathName(DatabaseFolderOf(dir), 100 - mark.size()) + mark;
    }
    starts.push_back({dir, name});
  }
  return starts;
}

}  // namespace qv
