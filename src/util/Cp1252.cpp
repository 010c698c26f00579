#include "util/Cp1252.h"

namespace qv {
namespace {

// 0x80..0x9F; 0 marks the five bytes the code page leaves undefined (they
// map to the C1 control of the same number, as Windows does).
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char32_t Cp1252ToUnicode(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    char16_t c = kHighControls[byte - 0x80];
    return c ? c : byte;
  }
  return byte;
}

int UnicodeToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    char16_t c = kHighControls[i];
    if ((c && c == cp) || (!c && cp == static_cast<char32_t>(0x80 + i))) return 0x80 + i;
  }
  return -1;
}

char32_t DecodeUtf8(std::string_view text, size_t& pos) {
  auto byte = [&](size_t i) { return static_cast<std::uint8_t>(text[i]); };
  std::uint8_t b0 = byte(pos);
  int length = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t cp = length == 1 ? b0 : b0 & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    std::uint8_t b = byte(pos + i);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  pos += length;
  return cp;
}

bool IsHalfSurrogateAt(std::string_view text, size_t i) {
  auto byte = [&](size_t at) { return static_cast<std::uint8_t>(text[at]); };
  return i + 2 < text.size() && byte(i) == 0xED && (byte(i + 1) & 0xE0) == 0xA0 &&
         (byte(i + 2) & 0xC0) == 0x80;
}

std::string WithoutHalfSurrogates(std::string text) {
  for (size_t i = 0; i + 2 < text.size(); ++i)
    if (IsHalfSurrogateAt(text, i)) text.replace(i, 3, "\xEF\xBF\xBD");
  return text;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, Cp1252ToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string EncodeSingleByte(std::string_view utf8, int (*byteFor)(char32_t), bool* lossy) {
  std::string out;
  out.reserve(utf8.size());
  bool lost = false;
  for (size_t pos = 0; pos < utf8.size();) {
    int b = byteFor(DecodeUtf8(utf8, pos));
    if (b < 0) {
      lost = true;
      b = '?';
    }
    out += static_cast<char>(b);
  }
  if (lossy) *lossy = lost;
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8, bool* lossy) {
  return EncodeSingleByte(utf8, UnicodeToCp1252, lossy);
}

std::uint8_t AnsiUpper(std::uint8_t b) {
  if (b >= 'a' && b <= 'z') return static_cast<std::uint8_t>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<std::uint8_t>(b - 32);
  switch (b) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return b;
  }
}

char32_t FoldUpper1252(char32_t cp) {
  int b = UnicodeToCp1252(cp);
  if (b < 0) return cp;
  return Cp1252ToUnicode(AnsiUpper(static_cast<std::uint8_t>(b)));
}

bool SameText1252(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size())
    if (FoldUpper1252(DecodeUtf8(a, i)) != FoldUpper1252(DecodeUtf8(b, j))) return false;
  return i == a.size() && j == b.size();
}

}  // namespace qv
