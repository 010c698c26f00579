#include "ui/controls/ControlClass.h"

#include <vector>

namespace qv::ui {

std::wstring ItemText(HWND control, int index, UINT lengthMessage, UINT textMessage) {
  LRESULT length = SendMessageW(control, lengthMessage, index, 0);
  if (length < 0) return {};  // LB_ERR and CB_ERR
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  SendMessageW(control, textMessage, index, reinterpret_cast<LPARAM>(buffer.data()));
  return buffer.data();
}

}  // namespace qv::ui
