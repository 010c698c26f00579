#include "util/HtmlEscape.h"

#include "util/Cp1252.h"

namespace qv {
namespace {

void AppendPercentEncoded(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char byte : bytes) {
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
}

// A character a browser would read as something else in a file URL, or that
// the page's code page cannot carry.
bool NeedsPercentEncoding(char32_t codePoint, bool halfSurrogate) {
  if (halfSurrogate || codePoint == 0xFFFD) return true;
  if (codePoint < 0x20 || codePoint == 0x7F) return true;
  if (codePoint < 0x80)
    return std::string_view("#%?\"<>").find(char(codePoint)) != std::string_view::npos;
  return UnicodeToCp1252(codePoint) < 0;
}

}  // namespace

std::string HtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeHtmlText(std::string_view html) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  std::string out;
  out.reserve(html.size());
  for (size_t pos = 0; pos < html.size();) {
    bool replaced = false;
    for (const auto& [entity, character] : kEntities) {
      if (html.substr(pos, entity.size()) == entity) {
        out += character;
        pos += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += html[pos++];
  }
  return out;
}

std::string FileUrl(std::string_view path) {
  std::string out = "file://";
  for (size_t pos = 0; pos < path.size();) {
    size_t start = pos;
    bool half = IsHalfSurrogateAt(path, pos);
    char32_t codePoint = half ? 0 : DecodeUtf8(path, pos);
    if (half) pos += 3;
    std::string_view bytes = path.substr(start, pos - start);
    if (codePoint == '&')
      out += "&amp;";
    else if (NeedsPercentEncoding(codePoint, half))
      AppendPercentEncoded(out, bytes);
    else
      out += bytes;
  }
  return out;
}

}  // namespace qv
