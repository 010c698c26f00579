#pragma once
// A popup menu that paints itself: a vertical banner with a gray-to-white
// gradient and the program's name along its left edge, a horizontal
// gradient behind the items, Tahoma, glyphs beside the texts. The menu's
// owner window passes its WM_MEASUREITEM and WM_DRAWITEM on to it.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Dpi.h"
#include "ui/GdiHandles.h"
#include "util/Handles.h"

namespace qv::ui {

class TOwnerMenu {
 public:
  explicit TOwnerMenu(std::wstring bannerText);
  TOwnerMenu(const TOwnerMenu&) = delete;
  TOwnerMenu& operator=(const TOwnerMenu&) = delete;

  HMENU Handle() const { return menu_.get(); }
  void AddItem(UINT id, const std::wstring& text, HICON glyph = nullptr);
  void AddSeparator();
  void SetText(UINT id, const std::wstring& text);
  void SetGlyph(UINT id, HICON glyph);
  std::wstring Text(UINT id) const;
  void Enable(UINT id, bool enabled);
  bool Enabled(UINT id) const;
  // Sizes and the font follow the DPI of the window that shows the menu.
  void SetDpi(int dpi);

  // True when the item is one of this menu's (the message is then handled).
  bool Measure(MEASUREITEMSTRUCT& item);
  bool Draw(const DRAWITEMSTRUCT& item);

 private:
  struct TItem {
    UINT Id = 0;
    std::wstring Text;
    HICON Glyph = nullptr;
    bool Separator = false;
  };
  TItem* Find(UINT id) const;
  int ItemHeight(const TItem& item) const;
  int Scaled(int value) const { return ScaleToDpi(value, dpi_); }
  void DrawBanner(HDC dc, const RECT& itemRect, int offset, int total) const;

  std::wstring bannerText_;
  std::vector<std::unique_ptr<TItem>> items_;
  TMenuHandle menu_;
  TFont font_;
  TFont bannerFont_;
  int dpi_ = 0;
};

}  // namespace qv::ui
