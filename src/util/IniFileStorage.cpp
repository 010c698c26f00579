#include "util/IniFileStorage.h"

#include "util/FileErrors.h"
#include "util/FileUtils.h"
#include "util/Retry.h"

namespace qv {
std::unique_ptr<TFileStream> OpenFileStreamEx(const std::string& path, TFileAccess access,
                                              TFileShare share) {
  return WithRetry<EFileError>(kIniRetry,
                               [&] { return std::make_unique<TFileStream>(path, access, share); });
}

bool TIniFileStorage::Exists(const std::string& path) { return IsExistingFile(path); }

std::string TIniFileStorage::Load(const std::string& path) {
  auto stream = OpenFileStreamEx(path, TFileAccess::Read, TFileShare::DenyWrite);
  return ReadAllBytes(*stream);
}

void TIniFileStorage::Save(const std::string& path, const std::string& bytes) {
  WithRetry<EFileError>(kIniRetry, [&] {
    WriteReplacing(
        path, [&](TFileStream& stream) { stream.Write(bytes.data(), bytes.size()); }, false);
  });
}

std::unique_ptr<TFastIniFile> OpenIniFile(const std::string& path) {
  return std::make_unique<TFastIniFile>(path, std::make_shared<TIniFileStorage>());
}

}  // namespace qv
