#pragma once
// Runs the test thread's message loop until a condition holds (or the timeout).
#include <windows.h>

namespace qv::test {

enum class TPumpCheck {
  WhenIdle,           // asked each time the queue is empty
  BeforeEachMessage,  // also between messages: sees a state the next message would end
};

// preview(msg) true: the message was handled there (the program's key
// preview) and is not dispatched.
template <class Pred, class Preview>
bool PumpMessagesUntil(Pred pred, TPumpCheck check, Preview preview, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  MSG msg;
  for (;;) {
    if (check == TPumpCheck::BeforeEachMessage && pred()) return true;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!preview(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      continue;
    }
    if (check == TPumpCheck::WhenIdle && pred()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

template <class Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs = 30000) {
  return PumpMessagesUntil(
      pred, TPumpCheck::WhenIdle, [](const MSG&) { return false; }, timeoutMs);
}

}  // namespace qv::test
