#pragma once
// Runs the test thread's message loop until a condition holds (or 30 s).
#include <windows.h>

namespace qv::test {

template <class Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs = 30000) {
  DWORD start = GetTickCount();
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (pred()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace qv::test
