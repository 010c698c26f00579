#pragma once
// Checking a table the safe way: its files are copied into a private scratch
// folder and the copy is opened through the engine; the live files are only
// read. The scratch folder goes when the session ends, whatever happened.
#include <functional>
#include <string>

#include "engine/AdsDataset.h"
#include "backup/JobPorts.h"
#include "backup/TableNames.h"

namespace qv {

class TTableCheckSession final : public ITableChecker {
 public:
  TTableCheckSession();
  ~TTableCheckSession() override;
  TTableCheckSession(const TTableCheckSession&) = delete;
  TTableCheckSession& operator=(const TTableCheckSession&) = delete;

  // Connects the engine to the scratch folder; raises EADSDatabaseError.
  void Connect() override;
  const std::string& CheckDir() const override { return checkDir_; }

  // Copies {databaseDir}{base}.ADT/.ADM/.ADI into the scratch folder, then
  // opens and closes the copy named name. beforeOpen runs between the two.
  // Raises the reason when the table is not sound.
  void CheckCopy(const std::string& databaseDir, const std::string& base, const std::string& name,
                 const std::function<void()>& beforeOpen) override;
  void CheckCopy(const std::string& databaseDir, const std::string& base, const std::string& name) {
    CheckCopy(databaseDir, base, name, {});
  }

 private:
  std::string checkDir_;
  TAdsConnection connection_;
  TAdsTable table_;
};

}  // namespace qv
