#pragma once
// Drawing laid-out HTML text with GDI in Tahoma.
#include <windows.h>

#include <string_view>

#include "ui/GdiHandles.h"
#include "ui/HtmlLayout.h"

namespace qv::ui {

// Normal and bold Tahoma of one character height in pixels (already scaled).
class THtmlFonts {
 public:
  explicit THtmlFonts(int pixelHeight);
  HFONT Get(bool bold) const { return bold ? bold_.get() : normal_.get(); }
  int PixelHeight() const { return pixelHeight_; }

 private:
  int pixelHeight_;
  TFont normal_;
  TFont bold_;
};

class TGdiMeasurer final : public ITextMeasurer {
 public:
  TGdiMeasurer(HDC dc, const THtmlFonts& fonts) : dc_(dc), fonts_(fonts) {}
  int TextWidth(std::string_view utf8, bool bold) override;
  int LineHeight() override;

 private:
  HDC dc_;
  const THtmlFonts& fonts_;
};

struct THtmlColors {
  COLORREF Text = RGB(0, 0, 0);
  COLORREF Link = RGB(0, 0, 255);
  bool Selected = false;  // a selected list item: everything in the highlight text colour

  static THtmlColors ForSelection() {
    THtmlColors c;
    c.Text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    c.Link = c.Text;
    c.Selected = true;
    return c;
  }
};

// Draws at (x, y) with a transparent background; links are underlined and
// rules are ruleWidth long.
void DrawHtmlLayout(HDC dc, const THtmlLayout& layout, const THtmlFonts& fonts, int x, int y,
                    const THtmlColors& colors, int ruleWidth);

// Parses, lays out within rect's width and draws, clipped to rect; returns the
// height the text needs. For list items and other owner-drawn places.
int DrawHtmlText(HDC dc, const RECT& rect, std::string_view html, const THtmlFonts& fonts,
                 const THtmlColors& colors, bool ellipsis);

}  // namespace qv::ui
