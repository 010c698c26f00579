#pragma once
// The small HTML subset the program's labels, list items, popup and message
// box show: bold, colour, links, line breaks, rules and entities. Parsing is
// forgiving: unknown tags vanish, malformed markup shows as text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::ui {

// A stretch of text in one style. Colour is 0xRRGGBB when HasColor is set.
struct THtmlRun {
  std::string Text;  // UTF-8, white space already collapsed
  bool Bold = false;
  bool HasColor = false;
  std::uint32_t Color = 0;
  std::string Href;  // empty: not a link
};

enum class THtmlItemKind { Text, Break, Rule };

struct THtmlItem {
  THtmlItemKind Kind = THtmlItemKind::Text;
  THtmlRun Run;  // only for Text
};

using THtmlDoc = std::vector<THtmlItem>;

THtmlDoc ParseHtml(std::string_view html);

// The text a reader sees: runs joined, a line break for <br> and <hr>.
std::string HtmlPlainText(const THtmlDoc& doc);

// "#RRGGBB", "RRGGBB" or one of the sixteen basic colour names.
bool ParseHtmlColor(std::string_view text, std::uint32_t& color);

}  // namespace qv::ui
