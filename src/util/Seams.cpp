#include "util/Seams.h"

#include <atomic>
#include <mutex>

namespace qv {
namespace {

std::atomic<IClock*> g_clock{nullptr};
std::atomic<ISleeper*> g_sleeper{nullptr};
std::atomic<IShell*> g_shell{nullptr};

struct ProgramFolderOverride {
  std::mutex lock;
  std::string folder;
};

ProgramFolderOverride& FolderOverride() {
  static ProgramFolderOverride value;
  return value;
}

}  // namespace

IClock& Clock() {
  IClock* clock = g_clock.load(std::memory_order_acquire);
  return clock ? *clock : SystemClock();
}

TLocalTime LocalNow() { return Clock().LocalNow(); }

std::uint64_t MonotonicMs() { return Clock().MonotonicMs(); }

void SleepMs(unsigned ms) {
  ISleeper* sleeper = g_sleeper.load(std::memory_order_acquire);
  if (sleeper)
    sleeper->SleepMs(ms);
  else
    SystemSleepMs(ms);
}

std::string ProgramFolder() {
  auto& o = FolderOverride();
  {
    std::lock_guard<std::mutex> guard(o.lock);
    if (!o.folder.empty()) return o.folder;
  }
  return SystemProgramFolder();
}

IShell& Shell() {
  IShell* shell = g_shell.load(std::memory_order_acquire);
  return shell ? *shell : SystemShell();
}

void SetShellForTest(IShell* shell) { g_shell.store(shell, std::memory_order_release); }

void SetClockForTest(IClock* clock) { g_clock.store(clock, std::memory_order_release); }

void SetSleeperForTest(ISleeper* sleeper) { g_sleeper.store(sleeper, std::memory_order_release); }

void SetProgramFolderForTest(const std::string& folder) {
  auto& o = FolderOverride();
  std::lock_guard<std::mutex> guard(o.lock);
  o.folder = folder;
}

}  // namespace qv
