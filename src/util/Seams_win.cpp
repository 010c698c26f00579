#include <windows.h>

#include "util/Seams.h"
#include "util/WinText.h"
#include "util/WinTime.h"

namespace qv {
namespace {

class WindowsClock final : public IClock {
 public:
  TLocalTime LocalNow() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FromSystemTime(st);
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
