#pragma once
// The machine under a run on Windows: the backup pool, the run lock shared
// by every program, the protocol files and the sleep guard.
#include <optional>

#include "app/RunController.h"
#include "app/RunLock.h"
#include "backup/BackupJobPool.h"

namespace qv {

class TPoolRunSystem final : public IRunSystem {
 public:
  explicit TPoolRunSystem(TBackupJobPool& pool) : pool_(pool) {}
  ~TPoolRunSystem() override;
  TPoolRunSystem(const TPoolRunSystem&) = delete;
  TPoolRunSystem& operator=(const TPoolRunSystem&) = delete;

  bool FolderExists(const std::string& path) override;
  void ConnectNetworkPath(const std::string& path) override;
  bool AcquireRunLock() override;
  void ReleaseRunLock() override;
  void KeepAwake(bool on) override;
  void WriteProtocol(const TStringList& runProtocol,
                     const std::optional<std::string>& firstLine) override;
  void StartBackups(const std::string& target, const std::string& databases) override;
  void StartCacheCopies(const std::string& databases) override;
  void StartNetworkWork(const std::string& databases) override;
  int ActiveBackups() override;
  TStringList RunProtocol() override;
  std::string LongTimeText(const TLocalTime& time) override;
  std::string EngineText() override;

 private:
  TBackupJobPool& pool_;
  std::optional<TRunLock> lock_;
  bool awake_ = false;
};

}  // namespace qv
