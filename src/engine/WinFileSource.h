#pragma once
// The engine's view of the Windows file system: read-only opens that let
// others read and write, so that only a file held exclusively fails.
#include "engine/FileSource.h"

namespace qv {

class TWinFileSource final : public IFileSource {
 public:
  TOpenedFile OpenForReading(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
};

}  // namespace qv
