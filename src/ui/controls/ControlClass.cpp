#include "ui/controls/ControlClass.h"

namespace qv::ui {

void RegisterControlClass(const wchar_t* name, WNDPROC proc, UINT style) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  if (!GetClassInfoExW(wc.hInstance, name, &wc)) RegisterClassExW(&wc);
}

}  // namespace qv::ui
