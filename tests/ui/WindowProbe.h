#pragma once
// What a user sees of a window: its text, its rectangle, its pixels.
#include <windows.h>

#include <string>

#include "util/WinText.h"

namespace qv::test {

inline std::string WindowText(HWND window) {
  wchar_t buffer[4096] = {};
  GetWindowTextW(window, buffer, 4096);
  return Narrow(buffer);
}

inline RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

inline RECT ClientRect(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

// The client area as the window prints it (no screen needed).
class TPrintedClient {
 public:
  explicit TPrintedClient(HWND window) : size_(ClientRect(window)) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, size_.right, size_.bottom);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    PrintWindow(window, dc_, PW_CLIENTONLY);
  }
  ~TPrintedClient() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TPrintedClient(const TPrintedClient&) = delete;
  TPrintedClient& operator=(const TPrintedClient&) = delete;

  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  template <class Pred>
  int Count(Pred pred) const {
    int count = 0;
    for (int y = 0; y < size_.bottom; ++y)
      for (int x = 0; x < size_.right; ++x)
        if (pred(At(x, y))) ++count;
    return count;
  }
  int Count(COLORREF color) const {
    return Count([color](COLORREF c) { return c == color; });
  }

 private:
  RECT size_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace qv::test
