#pragma once
// Small pictures beside the text of push buttons, in a normal and a
// disabled state, drawn at the size the screen's DPI asks for.
#include <windows.h>
#include <commctrl.h>

#include "util/Handles.h"

namespace qv::ui {

struct TImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ImageList_Destroy(h); }
};
using TImageList = TUniqueHandle<TImageListTraits>;

enum class TGlyph { Help, Close };

// Gives the button the glyph left of its text; the list must outlive the button.
TImageList SetButtonGlyph(HWND button, TGlyph glyph, int size);

}  // namespace qv::ui
