#pragma once
// Window classes whose windows each own one state object of type T: made at
// WM_NCCREATE, freed at WM_NCDESTROY, reached through the window.
#include <windows.h>

#include <string>

namespace qv::ui {

template <class T>
LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE && !self) {
    self = new T(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = self->Handle(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete self;
  }
  return result;
}

// The state object of a window of such a class, or nullptr.
template <class T>
T* ControlOf(HWND window) {
  return window ? reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

// The text of a list or combo box item, asked with the control's own
// length and text messages (LB_GETTEXTLEN/LB_GETTEXT, CB_GETLBTEXTLEN/CB_GETLBTEXT).
std::wstring ItemText(HWND control, int index, UINT lengthMessage, UINT textMessage);

}  // namespace qv::ui
