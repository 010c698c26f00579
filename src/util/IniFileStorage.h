#pragma once
// The INI store's file on Windows: opened with the INI retry policy
// (10 s in 10 ms steps); read with others' writes denied, written
// exclusively to a file beside it that then replaces the original, so that
// no failure can leave the file truncated.
#include <memory>
#include <string>

#include "util/FastIniFile.h"
#include "util/FileStream.h"

namespace qv {

// Opens (or creates) a file, retrying every 10 ms for up to 10 s; then
// raises "Datei %s kann nicht geöffnet/erstellt werden".
std::unique_ptr<TFileStream> OpenFileStreamEx(const std::string& path, TFileAccess access,
                                              TFileShare share);

class TIniFileStorage final : public IIniStorage {
 public:
  bool Exists(const std::string& path) override;
  std::string Load(const std::string& path) override;
  void Save(const std::string& path, const std::string& bytes) override;
};

// A store on the named file with the Windows storage.
std::unique_ptr<TFastIniFile> OpenIniFile(const std::string& path);

}  // namespace qv
