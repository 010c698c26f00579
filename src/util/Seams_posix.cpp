#include <time.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "util/Seams.h"

namespace qv {
namespace {

class PosixClock final : public IClock {
 public:
  TLocalTime LocalNow() override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    TLocalTime t;
    t.Year = local.tm_year + 1900;
    t.Month = local.tm_mon + 1;
    t.Day = local.tm_mday;
    t.Hour = local.tm_hour;
    t.Minute = local.tm_min;
    t.Second = local.tm_sec;
    t.Millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    t.DayOfWeek = local.tm_wday;
    return t;
  }
  std::uint64_t MonotonicMs() override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

// Portable builds have no shell: every request is declined.
class NoShell final : public IShell {
 public:
  bool NotifyIcon(TNotifyIconOp, const TNotifyIconData&) override { return false; }
  bool Execute(const std::string&, const std::string&, std::uintptr_t) override { return false; }
  bool TaskbarPosition(TTaskbarPosition&) override { return false; }
  std::string ChooseFolder(const std::string&, const std::string&, std::uintptr_t) override {
    return {};
  }
};

}  // namespace

IShell& SystemShell() {
  static NoShell shell;
  return shell;
}

IClock& SystemClock() {
  static PosixClock clock;
  return clock;
}

void SystemSleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string SystemProgramFolder() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace qv
