#pragma once
// Owners of GDI objects and device contexts.
#include <windows.h>

#include "util/Handles.h"

namespace qv::ui {

template <class T>
struct TGdiObjectTraits {  // fonts, brushes, pens, bitmaps: NULL when invalid
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};

using TFont = TUniqueHandle<TGdiObjectTraits<HFONT>>;
using TBrush = TUniqueHandle<TGdiObjectTraits<HBRUSH>>;
using TPen = TUniqueHandle<TGdiObjectTraits<HPEN>>;
using TBitmap = TUniqueHandle<TGdiObjectTraits<HBITMAP>>;

// A window's device context from GetDC, released with its window.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~TWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC for the scope and puts the old one back.
class TSelectObject {
 public:
  TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~TSelectObject() { SelectObject(dc_, old_); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace qv::ui
