#include "engine/WinFileSource.h"

#include <windows.h>

#include "util/FileErrors.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"

namespace qv {

TOpenedFile TWinFileSource::OpenForReading(const std::string& path) {
  TOpenedFile opened;
  try {
    opened.Stream = std::make_unique<TFileStream>(path, TFileAccess::Read, TFileShare::DenyNone);
    opened.Status = TOpenStatus::Ok;
  } catch (const EFileError& e) {
    bool missing = e.Code() == ERROR_FILE_NOT_FOUND || e.Code() == ERROR_PATH_NOT_FOUND ||
                   e.Code() == ERROR_INVALID_NAME;
    opened.Status = missing ? TOpenStatus::NotFound : TOpenStatus::OpenFailed;
  }
  return opened;
}

bool TWinFileSource::FolderExists(const std::string& path) { return IsExistingFolder(path); }

}  // namespace qv
