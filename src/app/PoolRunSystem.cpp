#include "app/PoolRunSystem.h"

#include "app/EngineChoice.h"
#include "app/Protocol.h"
#include "util/FileUtils.h"
#include "util/LocaleText.h"

namespace qv {

TPoolRunSystem::~TPoolRunSystem() {
  if (awake_) KeepAwake(false);
}

bool TPoolRunSystem::FolderExists(const std::string& path) { return IsExistingFolder(path); }

void TPoolRunSystem::ConnectNetworkPath(const std::string& path) { ReconnectNetworkPath(path); }

bool TPoolRunSystem::AcquireRunLock() {
  lock_.emplace();
  if (lock_->Acquired()) return true;
  lock_.reset();
  return false;
}

void TPoolRunSystem::ReleaseRunLock() { lock_.reset(); }

void TPoolRunSystem::KeepAwake(bool on) {
  // For this thread: the request ends with the run or with the thread.
  SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
  awake_ = on;
}

void TPoolRunSystem::WriteProtocol(const TStringList& runProtocol,
                                   const std::optional<std::string>& firstLine) {
  qv::WriteProtocol(runProtocol, firstLine);
}

void TPoolRunSystem::StartBackups(const std::string& target, const std::string& databases) {
  pool_.StartBackups(target, databases);
}

void TPoolRunSystem::StartCacheCopies(const std::string& databases) {
  pool_.StartCacheCopies(databases);
}

void TPoolRunSystem::StartNetworkWork(const std::string& databases) {
  pool_.StartNetworkWork(databases);
}

int TPoolRunSystem::ActiveBackups() { return pool_.ActiveBackups(); }

TStringList TPoolRunSystem::RunProtocol() { return pool_.RunProtocol; }

std::string TPoolRunSystem::EngineText() { return EngineInUseText(); }

std::string TPoolRunSystem::LongTimeText(const TLocalTime& time) { return qv::LongTimeText(time); }

}  // namespace qv
