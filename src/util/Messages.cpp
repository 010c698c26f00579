#include "util/Messages.h"

#include <windows.h>

#include <cstdint>

#include "util/Seams.h"

namespace qv {
namespace {

// A quit message comes whatever the filter says.
bool DispatchWaiting(UINT first, UINT last) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace

void ProcessPaintMessages() { DispatchWaiting(WM_PAINT, WM_PAINT); }

bool ProcessMessagesFor(unsigned ms) {
  std::uint64_t start = MonotonicMs();
  while (MonotonicMs() - start < ms) {
    if (!DispatchWaiting(0, 0)) return false;
  }
  return true;
}

bool ProcessPendingMessages() { return DispatchWaiting(0, 0); }

}  // namespace qv
