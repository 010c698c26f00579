#include "ui/HtmlLayout.h"

#include <algorithm>
#include <utility>

namespace qv::ui {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

struct TPiece {
  const THtmlRun* Style = nullptr;
  std::string Text;
};

struct TWord {
  std::vector<TPiece> Pieces;
  const THtmlRun* SpaceBefore = nullptr;  // the style of a blank in front, if any
};

bool SameStyle(const THtmlRun& a, const THtmlRun& b) {
  return a.Bold == b.Bold && a.HasColor == b.HasColor && a.Color == b.Color && a.Href == b.Href;
}

// Splits the runs of one line (between breaks) into words at blanks.
std::vector<TWord> SplitWords(const std::vector<const THtmlRun*>& runs) {
  std::vector<TWord> words;
  TWord word;
  const THtmlRun* space = nullptr;
  auto finish = [&] {
    if (!word.Pieces.empty()) words.push_back(std::move(word));
    word = TWord{};
  };
  for (const THtmlRun* run : runs) {
    for (char c : run->Text) {
      if (c == ' ') {
        finish();
        space = run;
        continue;
      }
      if (word.Pieces.empty()) word.SpaceBefore = std::exchange(space, nullptr);
      if (word.Pieces.empty() || word.Pieces.back().Style != run) word.Pieces.push_back({run, ""});
      word.Pieces.back().Text += c;
    }
  }
  finish();
  return words;
}

class TLayouter {
 public:
  TLayouter(ITextMeasurer& measurer, const TLayoutOptions& options)
      : m_(measurer), options_(options) {
    layout_.LineHeight = m_.LineHeight();
  }

  THtmlLayout Run(const THtmlDoc& doc) {
    std::vector<const THtmlRun*> line;
    for (const auto& item : doc) {
      if (item.Kind == THtmlItemKind::Text) {
        line.push_back(&item.Run);
        continue;
      }
      bool hadText = !line.empty();
      PlaceLine(line);
      line.clear();
      if (item.Kind == THtmlItemKind::Break) {
        if (!hadText) NewLine();  // an empty line of its own
      } else {
        Rule();
      }
    }
    PlaceLine(line);
    layout_.Height = y_;
    return std::move(layout_);
  }

 private:
  void PlaceLine(const std::vector<const THtmlRun*>& runs) {
    if (runs.empty()) return;
    lineFirst_ = layout_.Runs.size();
    for (const TWord& word : SplitWords(runs)) PlaceWord(word);
    if (options_.Ellipsis) CutLine();
    NewLine();
  }

  bool Wraps() const { return options_.MaxWidth > 0 && !options_.Ellipsis; }

  void PlaceWord(const TWord& word) {
    int width = 0;
    for (const auto& piece : word.Pieces) width += m_.TextWidth(piece.Text, piece.Style->Bold);
    int space = 0;
    if (word.SpaceBefore && x_ > 0) space = m_.TextWidth(" ", word.SpaceBefore->Bold);
    if (Wraps() && x_ > 0 && x_ + space + width > options_.MaxWidth) {
      NewLine();
      lineFirst_ = layout_.Runs.size();
      space = 0;
    }
    if (space > 0) Place(*word.SpaceBefore, " ", space);
    if (Wraps() && x_ + width > options_.MaxWidth) {
      PlaceByCharacters(word);
      return;
    }
    for (const auto& piece : word.Pieces)
      Place(*piece.Style, piece.Text, m_.TextWidth(piece.Text, piece.Style->Bold));
  }

  // A word wider than the whole line: as many characters per line as fit.
  void PlaceByCharacters(const TWord& word) {
    for (const auto& piece : word.Pieces) {
      for (std::size_t i = 0; i < piece.Text.size();) {
        std::size_t end = NextCharEnd(piece.Text, i);
        std::string ch = piece.Text.substr(i, end - i);
        int w = m_.TextWidth(ch, piece.Style->Bold);
        if (x_ > 0 && x_ + w > options_.MaxWidth) {
          NewLine();
          lineFirst_ = layout_.Runs.size();
        }
        Place(*piece.Style, ch, w);
        i = end;
      }
    }
  }

  void Place(const THtmlRun& style, std::string_view text, int width) {
    auto& runs = layout_.Runs;
    if (runs.size() > lineFirst_ && SameStyle(runs.back().Run, style) &&
        runs.back().X + runs.back().Width == x_) {
      runs.back().Run.Text += text;
      runs.back().Width += width;
    } else {
      TPlacedRun placed;
      placed.Run = style;
      placed.Run.Text = std::string(text);
      placed.X = x_;
      placed.Y = y_;
      placed.Width = width;
      runs.push_back(std::move(placed));
    }
    x_ += width;
    layout_.Width = std::max(layout_.Width, x_);
  }

  // Cuts the current line at MaxWidth and ends it with "…".
  void CutLine() {
    if (options_.MaxWidth <= 0 || x_ <= options_.MaxWidth) return;
    auto& runs = layout_.Runs;
    std::size_t i = lineFirst_;
    while (i < runs.size() && runs[i].X + runs[i].Width <= options_.MaxWidth) ++i;
    if (i == runs.size()) return;
    TPlacedRun& run = runs[i];
    int room = options_.MaxWidth - m_.TextWidth(kEllipsis, run.Run.Bold) - run.X;
    std::size_t keep = 0;
    for (std::size_t end = 0; end < run.Run.Text.size();) {
      end = NextCharEnd(run.Run.Text, end);
      if (m_.TextWidth(std::string_view(run.Run.Text).substr(0, end), run.Run.Bold) > room) break;
      keep = end;
    }
    run.Run.Text = run.Run.Text.substr(0, keep) + std::string(kEllipsis);
    run.Width = m_.TextWidth(run.Run.Text, run.Run.Bold);
    runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, runs.end());
    layout_.Ellipsized = true;
    layout_.Width = 0;
    for (const auto& r : runs) layout_.Width = std::max(layout_.Width, r.X + r.Width);
  }

  void NewLine() {
    y_ += layout_.LineHeight;
    x_ = 0;
  }

  void Rule() {
    int height = std::max(layout_.LineHeight / 2, 3);
    layout_.RuleYs.push_back(y_ + height / 2);
    y_ += height;
    x_ = 0;
  }

  ITextMeasurer& m_;
  TLayoutOptions options_;
  THtmlLayout layout_;
  std::size_t lineFirst_ = 0;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace

std::size_t NextCharEnd(std::string_view text, std::size_t i) {
  ++i;
  while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  return i;
}

THtmlLayout LayoutHtml(const THtmlDoc& doc, ITextMeasurer& measurer,
                       const TLayoutOptions& options) {
  return TLayouter(measurer, options).Run(doc);
}

std::string THtmlLayout::LinkAt(int x, int y) const {
  for (const auto& run : Runs)
    if (!run.Run.Href.empty() && x >= run.X && x < run.X + run.Width && y >= run.Y &&
        y < run.Y + LineHeight)
      return run.Run.Href;
  return {};
}

}  // namespace qv::ui
