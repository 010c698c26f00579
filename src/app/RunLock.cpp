#include "app/RunLock.h"

namespace qv {

TRunLock::TRunLock() {
  mutex_.reset(CreateMutexW(nullptr, FALSE, kRunMutexName));
  if (!mutex_.valid()) return;
  DWORD wait = WaitForSingleObject(mutex_.get(), 0);
  acquired_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;  // abandoned: its run died
}

TRunLock::~TRunLock() {
  if (acquired_) ReleaseMutex(mutex_.get());
}

}  // namespace qv
