#include "backup/TableCheck.h"

#include "util/FileErrors.h"
#include "util/FileUtils.h"

namespace qv {

TTableCheckSession::TTableCheckSession()
    : checkDir_(TempSubfolder("Quorvel-" + std::to_string(UniqueNumber()))) {
  table_.Connection = &connection_;
}

TTableCheckSession::~TTableCheckSession() {
  table_.Close();
  connection_.Disconnect();
  DeleteFolderTree(checkDir_, true);
}

void TTableCheckSession::Connect() {
  connection_.Name = "_" + std::to_string(UniqueNumber());
  connection_.AdsServerTypes = "local";
  connection_.ConnectPath = checkDir_;
  connection_.Connect();
}

void TTableCheckSession::CheckCopy(const std::string& databaseDir, const std::string& base,
                                   const std::string& name,
                                   const std::function<void()>& beforeOpen) {
  std::string dbDir = WithTrailingBackslash(databaseDir);
  for (const char* extension : kTableExtensions) {
    std::string source = dbDir + base + extension;
    std::string copy = checkDir_ + base + extension;
    if (!IsExistingFile(source)) {
      // A copy left by a table of the same name in another folder must not
      // stand in for the file this table lacks.
      if (!DeleteFileRetry(copy))
        throw EFileError("Datei " + copy + " kann nicht gelöscht werden", 0);
      continue;
    }
    // A scratch copy that cannot be written would let the engine judge a
    // missing or partial file, so it counts as a failure of the table, named
    // by the copy's own reason (the scratch file not writable, a live file
    // breaking off while read).
    std::string reason;
    if (!CopyFileRetry(source, copy, &reason, TCopyKind::Scratch)) throw EFileError(reason, 0);
  }
  table_.Close();
  table_.TableName = name;
  if (beforeOpen) beforeOpen();
  table_.Open();
  table_.Close();
}

}  // namespace qv
