#include "util/DateTimeText.h"

#include <cstdio>

namespace qv {

std::string ShortDateText(const TLocalTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", t.Day % 100, t.Month % 100, t.Year % 10000);
  return buffer;
}

std::string DateTimeText(const TLocalTime& t, const std::string& longTimeText) {
  bool midnight = t.Hour == 0 && t.Minute == 0 && t.Second == 0 && t.Millisecond == 0;
  return midnight ? ShortDateText(t) : ShortDateText(t) + " " + longTimeText;
}

}  // namespace qv
