#pragma once
// Checking a table the safe way: its files are copied into a private scratch
// folder and the copy is opened through the engine; the live files are only
// read. The scratch folder goes when the session ends, whatever happened.
#include <functional>
#include <string>

#include "engine/AdsDataset.h"

namespace qv {

inline constexpr const char* kTableExtensions[] = {".ADT", ".ADM", ".ADI"};

class TTableCheckSession {
 public:
  TTableCheckSession();
  ~TTableCheckSession();
  TTableCheckSession(const TTableCheckSession&) = delete;
  TTableCheckSession& operator=(const TTableCheckSession&) = delete;

  // Connects the engine to the scratch folder; raises EADSDatabaseError.
  void Connect();
  const std::string& CheckDir() const { return checkDir_; }
  TAdsTable& Table() { return table_; }

  // Copies {databaseDir}{base}.ADT/.ADM/.ADI into the scratch folder, then
  // opens and closes the copy named name. beforeOpen runs between the two.
  // Raises the reason when the table is not sound.
  void CheckCopy(const std::string& databaseDir, const std::string& base, const std::string& name,
                 const std::function<void()>& beforeOpen = {});

 private:
  std::string checkDir_;
  TAdsConnection connection_;
  TAdsTable table_;
};

// The name without its extension (the text before the last dot).
std::string TableBaseName(const std::string& name);

// Whether the path names a table, memo or index file (any letter case).
bool IsTableFile(const std::string& path);

}  // namespace qv
