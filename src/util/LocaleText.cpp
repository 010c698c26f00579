#include "util/LocaleText.h"

#include <windows.h>

#include "util/DateTimeText.h"
#include "util/WinText.h"
#include "util/WinTime.h"

namespace qv {

std::string LongTimeText(const TLocalTime& t) {
  SYSTEMTIME st = ToSystemTime(t);
  wchar_t buffer[80] = {};
  if (!GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 80)) return {};
  return Narrow(buffer);
}

std::string NowDateTimeText() {
  TLocalTime now = LocalNow();
  return DateTimeText(now, LongTimeText(now));
}

std::string ThousandsText(std::int64_t value) {
  wchar_t separator[8] = L".";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += Narrow(separator);
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

}  // namespace qv
