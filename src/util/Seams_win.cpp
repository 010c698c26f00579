#include <windows.h>

#include "util/Seams.h"
#include "util/WinText.h"

namespace qv {
namespace {

class WindowsClock final : public IClock {
 public:
  TLocalTime LocalNow() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    TLocalTime t;
    t.Year = st.wYear;
    t.Month = st.wMonth;
    t.Day = st.wDay;
    t.Hour = st.wHour;
    t.Minute = st.wMinute;
    t.Second = st.wSecond;
    t.Millisecond = st.wMilliseconds;
    t.DayOfWeek = st.wDayOfWeek;
    return t;
  }
  std::uint64_t MonotonicMs() override { return GetTickCount64(); }
};

}  // namespace

IClock& SystemClock() {
  static WindowsClock clock;
  return clock;
}

void SystemSleepMs(unsigned ms) { ::Sleep(ms); }

std::string SystemProgramFolder() {
  std::wstring buffer(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  buffer.resize(n);
  std::string path = Narrow(buffer);
  return path.substr(0, path.find_last_of("\\/") + 1);
}

}  // namespace qv
