#pragma once
// One backup run at a time on a machine, whichever program starts it.
#include <windows.h>

#include "util/Handles.h"

namespace qv {

inline constexpr wchar_t kRunMutexName[] = L"Global\\Quorvel.BackupRun.5C2E9A41";

class TRunLock {
 public:
  TRunLock();
  ~TRunLock();
  TRunLock(const TRunLock&) = delete;
  TRunLock& operator=(const TRunLock&) = delete;
  bool Acquired() const { return acquired_; }

 private:
  TKernelHandle mutex_;
  bool acquired_ = false;
};

}  // namespace qv
