#include "ui/HtmlText.h"

#include <array>
#include <cctype>
#include <optional>
#include <utility>

#include "util/Cp1252.h"

namespace qv::ui {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

struct TNamedEntity {
  std::string_view Name;
  std::uint32_t CodePoint;
};

constexpr std::array<TNamedEntity, 14> kEntities{{{"amp", '&'},
                                                  {"lt", '<'},
                                                  {"gt", '>'},
                                                  {"quot", '"'},
                                                  {"apos", '\''},
                                                  {"nbsp", 0xA0},
                                                  {"auml", 0xE4},
                                                  {"ouml", 0xF6},
                                                  {"uuml", 0xFC},
                                                  {"Auml", 0xC4},
                                                  {"Ouml", 0xD6},
                                                  {"Uuml", 0xDC},
                                                  {"szlig", 0xDF},
                                                  {"euro", 0x20AC}}};

std::optional<std::uint32_t> NumericEntity(std::string_view body) {
  int base = 10;
  if (!body.empty() && (body[0] == 'x' || body[0] == 'X')) {
    base = 16;
    body.remove_prefix(1);
  }
  if (body.empty() || body.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : body) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) {
      digit = Lower(c) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
  }
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
  return value;
}

// The code point of the entity whose name stands between '&' and ';'.
std::optional<std::uint32_t> DecodeEntity(std::string_view body) {
  if (!body.empty() && body[0] == '#') return NumericEntity(body.substr(1));
  for (const auto& e : kEntities)
    if (e.Name == body) return e.CodePoint;
  std::string lower = LowerAscii(body);  // the first six also in capitals (&AMP; &NBSP;)
  for (std::size_t i = 0; i < 6; ++i)
    if (kEntities[i].Name == lower) return kEntities[i].CodePoint;
  return std::nullopt;
}

struct TTag {
  bool Closing = false;
  std::string Name;  // lower case
  std::vector<std::pair<std::string, std::string>> Attributes;

  std::optional<std::string> Attribute(std::string_view name) const {
    for (const auto& [key, value] : Attributes)
      if (key == name) return value;
    return std::nullopt;
  }
};

// Reads the inside of "<...>"; nullopt when it is no tag (a stray '<').
std::optional<TTag> ReadTag(std::string_view inside) {
  TTag tag;
  std::size_t i = 0;
  if (i < inside.size() && inside[i] == '/') {
    tag.Closing = true;
    ++i;
  }
  if (i >= inside.size() || !IsAlpha(inside[i])) return std::nullopt;
  std::size_t start = i;
  while (i < inside.size() && IsAlnum(inside[i])) ++i;
  tag.Name = LowerAscii(inside.substr(start, i - start));
  while (i < inside.size()) {
    while (i < inside.size() && (IsSpace(inside[i]) || inside[i] == '/')) ++i;
    start = i;
    while (i < inside.size() && !IsSpace(inside[i]) && inside[i] != '=' && inside[i] != '/') ++i;
    if (i == start) break;
    std::string key = LowerAscii(inside.substr(start, i - start));
    while (i < inside.size() && IsSpace(inside[i])) ++i;
    std::string value;
    if (i < inside.size() && inside[i] == '=') {
      ++i;
      while (i < inside.size() && IsSpace(inside[i])) ++i;
      if (i < inside.size() && (inside[i] == '"' || inside[i] == '\'')) {
        char quote = inside[i++];
        start = i;
        while (i < inside.size() && inside[i] != quote) ++i;
        value = std::string(inside.substr(start, i - start));
        if (i < inside.size()) ++i;
      } else {
        start = i;
        while (i < inside.size() && !IsSpace(inside[i])) ++i;
        value = std::string(inside.substr(start, i - start));
      }
    }
    tag.Attributes.emplace_back(std::move(key), std::move(value));
  }
  return tag;
}

class TParser {
 public:
  THtmlDoc Parse(std::string_view html) {
    std::size_t i = 0;
    while (i < html.size()) {
      char c = html[i];
      if (c == '<') {
        i = Markup(html, i);
      } else if (c == '&') {
        i = Entity(html, i);
      } else if (IsSpace(c)) {
        Space();
        ++i;
      } else {
        Char(c);
        ++i;
      }
    }
    Flush();
    return std::move(doc_);
  }

 private:
  // Returns the index behind what it consumed.
  std::size_t Markup(std::string_view html, std::size_t at) {
    if (html.substr(at, 4) == "<!--") {
      std::size_t end = html.find("-->", at + 4);
      return end == std::string_view::npos ? html.size() : end + 3;
    }
    std::size_t end = html.find('>', at + 1);
    std::optional<TTag> tag;
    if (end != std::string_view::npos) {
      std::string_view inside = html.substr(at + 1, end - at - 1);
      if (!inside.empty() && inside[0] == '!') return end + 1;  // <!DOCTYPE ...>
      tag = ReadTag(inside);
    }
    if (!tag) {
      Char('<');
      return at + 1;
    }
    Apply(*tag);
    return end + 1;
  }

  std::size_t Entity(std::string_view html, std::size_t at) {
    std::size_t end = html.find(';', at + 1);
    if (end != std::string_view::npos && end - at <= 10) {
      if (auto cp = DecodeEntity(html.substr(at + 1, end - at - 1))) {
        std::string utf8;
        AppendUtf8(utf8, *cp);
        for (char b : utf8) Char(b);
        return end + 1;
      }
    }
    Char('&');
    return at + 1;
  }

  void Apply(const TTag& tag) {
    const std::string& n = tag.Name;
    if (n == "br") {
      Item(THtmlItemKind::Break);
    } else if (n == "hr") {
      Item(THtmlItemKind::Rule);
    } else if (n == "b" || n == "strong") {
      if (!tag.Closing) {
        ++bold_;
      } else if (bold_ > 0) {
        --bold_;
      }
    } else if (n == "font") {
      FontTag(tag);
    } else if (n == "a") {
      href_ = tag.Closing ? std::string() : tag.Attribute("href").value_or("");
    }
  }

  void FontTag(const TTag& tag) {
    if (tag.Closing) {
      if (!colors_.empty()) colors_.pop_back();
      return;
    }
    std::optional<std::uint32_t> color = colors_.empty() ? std::nullopt : colors_.back();
    std::uint32_t parsed = 0;
    if (auto text = tag.Attribute("color"); text && ParseHtmlColor(*text, parsed)) color = parsed;
    colors_.push_back(color);
  }

  THtmlRun Style() const {
    THtmlRun run;
    run.Bold = bold_ > 0;
    if (!colors_.empty() && colors_.back()) {
      run.HasColor = true;
      run.Color = *colors_.back();
    }
    run.Href = href_;
    return run;
  }

  static bool SameStyle(const THtmlRun& a, const THtmlRun& b) {
    return a.Bold == b.Bold && a.HasColor == b.HasColor && a.Color == b.Color && a.Href == b.Href;
  }

  void Char(char c) {
    Append(c);
    lineStart_ = false;
    lastSpace_ = false;
  }

  void Space() {
    if (lineStart_ || lastSpace_) return;
    Append(' ');
    lastSpace_ = true;
  }

  void Append(char c) {
    THtmlRun style = Style();
    if (!current_.Text.empty() && !SameStyle(current_, style)) Flush();
    if (current_.Text.empty()) current_ = std::move(style);
    current_.Text += c;
  }

  void Flush() {
    if (current_.Text.empty()) return;
    THtmlItem item;
    item.Run = std::move(current_);
    doc_.push_back(std::move(item));
    current_ = THtmlRun{};
  }

  void Item(THtmlItemKind kind) {
    Flush();
    THtmlItem item;
    item.Kind = kind;
    doc_.push_back(std::move(item));
    lineStart_ = true;
    lastSpace_ = false;
  }

  THtmlDoc doc_;
  THtmlRun current_;
  int bold_ = 0;
  std::vector<std::optional<std::uint32_t>> colors_;
  std::string href_;
  bool lineStart_ = true;
  bool lastSpace_ = false;
};

struct TNamedColor {
  std::string_view Name;
  std::uint32_t Rgb;
};

constexpr std::array<TNamedColor, 17> kColors{{{"black", 0x000000},
                                               {"silver", 0xC0C0C0},
                                               {"gray", 0x808080},
                                               {"grey", 0x808080},
                                               {"white", 0xFFFFFF},
                                               {"maroon", 0x800000},
                                               {"red", 0xFF0000},
                                               {"purple", 0x800080},
                                               {"fuchsia", 0xFF00FF},
                                               {"green", 0x008000},
                                               {"lime", 0x00FF00},
                                               {"olive", 0x808000},
                                               {"yellow", 0xFFFF00},
                                               {"navy", 0x000080},
                                               {"blue", 0x0000FF},
                                               {"teal", 0x008080},
                                               {"aqua", 0x00FFFF}}};

}  // namespace

bool ParseHtmlColor(std::string_view text, std::uint32_t& color) {
  std::string lower = LowerAscii(text);
  for (const auto& c : kColors)
    if (c.Name == lower) {
      color = c.Rgb;
      return true;
    }
  std::string_view hex = lower;
  if (!hex.empty() && hex[0] == '#') hex.remove_prefix(1);
  if (hex.size() != 6) return false;
  std::uint32_t value = 0;
  for (char c : hex) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    value = value * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
  }
  color = value;
  return true;
}

THtmlDoc ParseHtml(std::string_view html) { return TParser().Parse(html); }

std::string HtmlPlainText(const THtmlDoc& doc) {
  std::string text;
  for (const auto& item : doc) {
    if (item.Kind == THtmlItemKind::Text) {
      text += item.Run.Text;
    } else {
      text += '\n';
    }
  }
  return text;
}

}  // namespace qv::ui
