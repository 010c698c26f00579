#include "util/DateTimeText.h"

#include <cctype>
#include <cstdio>
#include <mutex>

namespace qv {
namespace {

struct TDateFormat {
  std::mutex lock;
  std::string pattern = "DD.MM.YYYY";
};

TDateFormat& Format() {
  static TDateFormat format;
  return format;
}

bool TokenAt(const std::string& pattern, size_t pos, const char* token) {
  for (size_t i = 0; token[i]; ++i)
    if (pos + i >= pattern.size() ||
        std::toupper(static_cast<unsigned char>(pattern[pos + i])) != token[i])
      return false;
  return true;
}

std::string Digits(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

}  // namespace

void SetShortDateFormat(const std::string& format) {
  std::lock_guard<std::mutex> guard(Format().lock);
  Format().pattern = format;
}

std::string ShortDateFormat() {
  std::lock_guard<std::mutex> guard(Format().lock);
  return Format().pattern;
}

std::string ShortDateText(const TLocalTime& t) {
  std::string pattern = ShortDateFormat();
  std::string out;
  for (size_t pos = 0; pos < pattern.size();) {
    if (TokenAt(pattern, pos, "YYYY") || TokenAt(pattern, pos, "CCYY")) {
      out += Digits(t.Year % 10000, 4);
      pos += 4;
    } else if (TokenAt(pattern, pos, "YY")) {
      out += Digits(t.Year % 100, 2);
      pos += 2;
    } else if (TokenAt(pattern, pos, "DD")) {
      out += Digits(t.Day % 100, 2);
      pos += 2;
    } else if (TokenAt(pattern, pos, "MM")) {
      out += Digits(t.Month % 100, 2);
      pos += 2;
    } else {
      out += pattern[pos++];
    }
  }
  return out;
}

std::string DateTimeText(const TLocalTime& t, const std::string& longTimeText) {
  bool midnight = t.Hour == 0 && t.Minute == 0 && t.Second == 0 && t.Millisecond == 0;
  return midnight ? ShortDateText(t) : ShortDateText(t) + " " + longTimeText;
}

}  // namespace qv
