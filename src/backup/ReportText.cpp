#include "backup/ReportText.h"

#include "util/Cp1252.h"
#include "util/HtmlEscape.h"
#include "util/StrUtils.h"

namespace qv {

std::string RedText(std::string_view text) {
  return "<FONT color=\"#FF0000\">" + std::string(text) + "</FONT>";
}

std::string ItemText(std::string_view text, bool failed) {
  return failed ? RedText(text) : std::string(text);
}

std::string LoggedLine(std::string_view text, bool failed, std::string_view dateTime) {
  if (text == kRuleLine) return std::string(text);
  std::string head = "</b>" + std::string(dateTime);
  return failed ? head + "<b>: " + RedText(text) : head + "<b></b>: " + std::string(text);
}

std::string FileLink(std::string_view path) {
  return "<a href=\"" + FileUrl(path) + "\">" + HtmlText(path) + "</a>";
}

std::string CleanPathName(std::string_view path, size_t maxCharacters) {
  static constexpr std::string_view kReplaced = "\\?|><:/*\"";
  std::string text = ReplaceTextAll(ReplaceTextAll(path, "\r\n", ""), "\t", "");
  std::string out;
  size_t characters = 0;
  for (size_t pos = 0; pos < text.size() && characters < maxCharacters; ++characters) {
    size_t start = pos;
    char32_t cp = DecodeUtf8(text, pos);
    if (cp < 0x80 && kReplaced.find(static_cast<char>(cp)) != std::string_view::npos)
      out += '_';
    else
      out.append(text, start, pos - start);
  }
  // A folder name that ends in a dot or blank is one that Windows Explorer
  // cannot open or remove (the cut at 100 characters may leave one).
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace qv
