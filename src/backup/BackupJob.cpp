// The body of a backup job.
#include "backup/BackupJob.h"

namespace qv {

void TBackupJob::Run() {
  HasErrors = false;
  ArchiveFiles.clear();
  PostFinal(HasErrors);
}

}  // namespace qv
