#pragma once
// A window whose messages go to a C++ object: the object is handed over with
// CreateWindowEx's parameter and kept in the window's user data.
#include <windows.h>

namespace qv::ui {

// Window procedure for class T: T::OnMessage(msg, wParam, lParam) handles
// every message; Window is T's field that receives the window handle before
// the first message reaches it.
template <class T, HWND T::*Window>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->*Window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, msg, wParam, lParam);
  return self->OnMessage(msg, wParam, lParam);
}

// Registers a window class of the program once; later calls find it there.
inline void RegisterObjectClass(const wchar_t* name, WNDPROC proc, UINT style, HICON icon) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icon;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

// Detaches the object first, so that the messages of destruction find none.
inline void DestroyObjectWindow(HWND window) {
  if (!window) return;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

// WM_PAINT and WM_PRINTCLIENT both draw with paint(HDC).
template <class Paint>
bool HandlePaint(HWND window, UINT msg, WPARAM wParam, Paint paint) {
  if (msg == WM_PRINTCLIENT) {
    paint(reinterpret_cast<HDC>(wParam));
    return true;
  }
  if (msg != WM_PAINT) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  paint(dc);
  EndPaint(window, &ps);
  return true;
}

}  // namespace qv::ui
