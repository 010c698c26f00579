#include "ui/controls/WindowAlpha.h"

namespace qv::ui {

void SetWindowAlpha(HWND window, BYTE alpha) {
  using TSetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  auto setLayered = reinterpret_cast<TSetLayered>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
  if (!setLayered) return;
  SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  setLayered(window, 0, alpha, LWA_ALPHA);
}

}  // namespace qv::ui
