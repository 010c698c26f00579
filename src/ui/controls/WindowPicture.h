#pragma once
// A window's picture and a borderless window that shows a picture stretched
// to its size (for the shrink animation).
#include <windows.h>

#include "ui/GdiHandles.h"
#include "util/Handles.h"

namespace qv::ui {

inline constexpr wchar_t kPictureWindowClass[] = L"QvPictureWindow";

// The format of a 24-bit, bottom-up, uncompressed picture of that size.
BITMAPINFO Rgb24Format(int width, int height);

// The window's current image as a 24-bit bitmap through the system's window
// printing (looked up at run time); an empty bitmap where it is missing.
TBitmap CaptureWindow(HWND window);

// A window at the given place showing the bitmap stretched to its client
// area; destroyed with the object.
class TPictureWindow {
 public:
  TPictureWindow(const RECT& place, HBITMAP picture);
  TPictureWindow(const TPictureWindow&) = delete;
  TPictureWindow& operator=(const TPictureWindow&) = delete;
  HWND Handle() const { return window_.get(); }
  void Resize(int width, int height);

 private:
  TWindowHandle window_;
};

}  // namespace qv::ui
