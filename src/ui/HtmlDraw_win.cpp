#include "ui/HtmlDraw.h"

#include <algorithm>
#include <vector>

#include "ui/Fonts.h"
#include "util/WinText.h"

namespace qv::ui {

THtmlFonts::THtmlFonts(int pixelHeight)
    : pixelHeight_(pixelHeight),
      normal_(CreateTahoma(pixelHeight, FW_NORMAL)),
      bold_(CreateTahoma(pixelHeight, FW_BOLD)) {}

int TGdiMeasurer::TextWidth(std::string_view utf8, bool bold) {
  std::wstring text = Widen(utf8);
  TSelectObject font(dc_, fonts_.Get(bold));
  SIZE size{};
  GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int TGdiMeasurer::LineHeight() {
  int height = 0;
  for (bool bold : {false, true}) {
    TSelectObject font(dc_, fonts_.Get(bold));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    height = std::max(height, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
  }
  return height;
}

namespace {

// Draws each character where the measurement put it, so that runs meet
// exactly where the layout expects them (rasterizers may round advances
// differently when they draw than when they measure).
void DrawMeasured(HDC dc, int x, int y, const std::wstring& text) {
  int count = static_cast<int>(text.size());
  if (count == 0) return;
  std::vector<int> ends(text.size());
  SIZE size{};
  GetTextExtentExPointW(dc, text.c_str(), count, 0, nullptr, ends.data(), &size);
  std::vector<int> advances(text.size());
  for (int i = 0; i < count; ++i) advances[i] = ends[i] - (i > 0 ? ends[i - 1] : 0);
  ExtTextOutW(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(count), advances.data());
}

}  // namespace

void DrawHtmlLayout(HDC dc, const THtmlLayout& layout, const THtmlFonts& fonts, int x, int y,
                    const THtmlColors& colors, int ruleWidth) {
  int oldMode = SetBkMode(dc, TRANSPARENT);
  for (const auto& run : layout.Runs) {
    COLORREF color = colors.Text;
    if (!run.Run.Href.empty()) {
      color = colors.Link;
    } else if (run.Run.HasColor && !colors.Selected) {
      std::uint32_t rgb = run.Run.Color;
      color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    SetTextColor(dc, color);
    TSelectObject font(dc, fonts.Get(run.Run.Bold));
    DrawMeasured(dc, x + run.X, y + run.Y, Widen(run.Run.Text));
    if (!run.Run.Href.empty() && run.Run.Text != " ") {
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      RECT line{x + run.X, y + run.Y + tm.tmAscent + 1, x + run.X + run.Width,
                y + run.Y + tm.tmAscent + 2};
      TBrush brush(CreateSolidBrush(color));
      FillRect(dc, &line, brush.get());
    }
  }
  TPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
  TSelectObject selected(dc, pen.get());
  for (int ruleY : layout.RuleYs) {
    MoveToEx(dc, x, y + ruleY, nullptr);
    LineTo(dc, x + ruleWidth, y + ruleY);
  }
  SetBkMode(dc, oldMode);
}

int DrawHtmlText(HDC dc, const RECT& rect, std::string_view html, const THtmlFonts& fonts,
                 const THtmlColors& colors, bool ellipsis) {
  TGdiMeasurer measurer(dc, fonts);
  TLayoutOptions options;
  options.MaxWidth = rect.right - rect.left;
  options.Ellipsis = ellipsis;
  THtmlLayout layout = LayoutHtml(ParseHtml(html), measurer, options);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  DrawHtmlLayout(dc, layout, fonts, rect.left, rect.top, colors, options.MaxWidth);
  RestoreDC(dc, saved);
  return layout.Height;
}

}  // namespace qv::ui
