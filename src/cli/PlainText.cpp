#include "cli/PlainText.h"

#include "util/HtmlEscape.h"

namespace qv {

std::string PlainText(std::string_view html) {
  std::string out;
  bool inTag = false;
  for (char c : html) {
    if (c == '<')
      inTag = true;
    else if (c == '>' && inTag)
      inTag = false;
    else if (!inTag)
      out += c;
  }
  return UnescapeHtmlText(out);
}

std::string ConsoleLine(std::string_view html, bool failed) {
  if (html == "<hr>") return std::string(60, '-');
  return failed ? "FEHLER: " + PlainText(html) : PlainText(html);
}

}  // namespace qv
