#include "util/StrUtils.h"

#include <cstdio>

#include "util/Cp1252.h"

namespace qv {

std::string WithTrailingBackslash(std::string_view path) {
  std::string p(path);
  if (p.empty() || p.back() == ':' || p.back() == '\\') return p;
  if (p.size() == 1 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
    return p + ":\\";
  return p + "\\";
}

bool IsFullPath(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
    return (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::string WithoutTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::string ExtractFilePath(std::string_view path) {
  size_t pos = path.find_last_of("\\:");
  return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view path) {
  size_t pos = path.find_last_of("\\:");
  return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtractFileExt(std::string_view path) {
  std::string name = ExtractFileName(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
  size_t nameStart = path.find_last_of("\\:");
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  size_t dot = path.rfind('.');
  std::string stem(dot == std::string_view::npos || dot < nameStart ? path : path.substr(0, dot));
  return stem + std::string(extension);
}

std::string LowerCase1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp = DecodeUtf8(text, pos);
    int b = UnicodeToCp1252(cp);
    if (b >= 'A' && b <= 'Z')
      cp = static_cast<char32_t>(b + 32);
    else if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
      cp = static_cast<char32_t>(b + 32);
    else if (b == 0x8A || b == 0x8C || b == 0x8E)
      cp = Cp1252ToUnicode(static_cast<std::uint8_t>(b + 16));
    else if (b == 0x9F)
      cp = 0xFF;
    AppendUtf8(out, cp);
  }
  return out;
}

std::string TrimBlanks(std::string_view text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(begin, end - begin + 1));
}

bool IsBlankOrControl(char c) {
  auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string CleanFileName(std::string_view text, bool dropBlanks) {
  static constexpr std::string_view kForbidden = "\\?|><:/*\"";
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 1 && u <= 31) continue;
    if (dropBlanks && c == ' ') continue;
    if (kForbidden.find(c) != std::string_view::npos) continue;
    out += c;
  }
  return TrimBlanks(out);
}

std::string ReplaceTextAll(std::string_view text, std::string_view pattern,
                           std::string_view replacement) {
  if (text.empty()) return {};
  if (pattern.empty() || pattern.size() > text.size()) return std::string(text);
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    if (pos + pattern.size() <= text.size() &&
        SameText1252(text.substr(pos, pattern.size()), pattern)) {
      out += replacement;
      pos += pattern.size();
    } else {
      out += text[pos++];
    }
  }
  return out;
}

std::uint32_t ElfHash(std::string_view bytes) {
  std::uint32_t h = 0;
  for (char c : bytes) {
    h = (h << 4) + static_cast<std::uint8_t>(c);
    std::uint32_t high = h & 0xF0000000u;
    if (high) h ^= high >> 24;
    h &= ~high;
  }
  return h;
}

std::string GuidText(const std::array<std::uint8_t, 16>& g) {
  char buffer[37];
  std::snprintf(buffer, sizeof buffer,
                "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", g[3], g[2],
                g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14],
                g[15]);
  return buffer;
}

std::string QuotedString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string ExtractQuotedString(std::string_view text) {
  if (text.empty() || text[0] != '"') return {};
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '"') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '"') {
      out += '"';
      ++i;
    } else {
      break;
    }
  }
  return out;
}

TStringList SplitLines(std::string_view text) {
  TStringList lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const TStringList& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace qv
