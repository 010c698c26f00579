#include "util/IniFileStorage.h"

#include "util/FileErrors.h"
#include "util/FileUtils.h"
#include "util/Seams.h"

namespace qv {
namespace {

// Runs attempt until it succeeds or more than 10 s have passed; then the
// last failure propagates.
template <class Attempt>
auto RetryFor10Seconds(Attempt attempt) {
  std::uint64_t start = MonotonicMs();
  for (;;) {
    try {
      return attempt();
    } catch (const EFileError&) {
      if (MonotonicMs() - start > kIniRetryForMs) throw;
    }
    SleepMs(kIniRetryStepMs);
  }
}

}  // namespace

std::unique_ptr<TFileStream> OpenFileStreamEx(const std::string& path, TFileAccess access,
                                              TFileShare share) {
  return RetryFor10Seconds([&] { return std::make_unique<TFileStream>(path, access, share); });
}

bool TIniFileStorage::Exists(const std::string& path) { return IsExistingFile(path); }

std::string TIniFileStorage::Load(const std::string& path) {
  auto stream = OpenFileStreamEx(path, TFileAccess::Read, TFileShare::DenyWrite);
  return ReadAllBytes(*stream);
}

void TIniFileStorage::Save(const std::string& path, const std::string& bytes) {
  ForceFolders(ExtractFilePath(path));
  TScratchFile temporary(TemporarySibling(path));
  {
    auto stream = OpenFileStreamEx(temporary.Path(), TFileAccess::Create, TFileShare::Exclusive);
    stream->Write(bytes.data(), bytes.size());
    stream->Flush();
  }
  RetryFor10Seconds([&] {
    ReplaceWithTemporary(temporary.Path(), path, false);
    return 0;
  });
}

std::unique_ptr<TFastIniFile> OpenIniFile(const std::string& path) {
  return std::make_unique<TFastIniFile>(path, std::make_shared<TIniFileStorage>());
}

}  // namespace qv
