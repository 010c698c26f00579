#pragma once
// Places parsed HTML text into lines of a given width. Text is measured by an
// injected measurer (GDI in the program, a fixed-width fake in tests).
#include <string>
#include <string_view>
#include <vector>

#include "ui/HtmlText.h"

namespace qv::ui {

class ITextMeasurer {
 public:
  virtual ~ITextMeasurer() = default;
  virtual int TextWidth(std::string_view utf8, bool bold) = 0;
  virtual int LineHeight() = 0;
};

struct TPlacedRun {
  THtmlRun Run;
  int X = 0;
  int Y = 0;  // top of its line
  int Width = 0;
};

struct THtmlLayout {
  std::vector<TPlacedRun> Runs;
  std::vector<int> RuleYs;  // the middle of each <hr>
  int Width = 0;            // of the widest line
  int Height = 0;
  int LineHeight = 0;
  bool Ellipsized = false;  // some line was cut and ends with "…"

  // The link target under the point, empty when there is none.
  std::string LinkAt(int x, int y) const;
};

struct TLayoutOptions {
  int MaxWidth = 0;       // 0 or less: lines never wrap
  bool Ellipsis = false;  // lines are not wrapped but cut with "…" at MaxWidth
};

THtmlLayout LayoutHtml(const THtmlDoc& doc, ITextMeasurer& measurer, const TLayoutOptions& options);

// Index behind the UTF-8 character that starts at i.
std::size_t NextCharEnd(std::string_view text, std::size_t i);

}  // namespace qv::ui
