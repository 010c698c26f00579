#pragma once
// Process-wide seams that tests replace: the clock, the sleep of retry loops
// and the program folder. Production code always goes through these.
#include <cstdint>
#include <string>

namespace qv {

// Local calendar time, as the platform reports it (DayOfWeek: 0 = Sunday).
struct TLocalTime {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int DayOfWeek = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual TLocalTime LocalNow() = 0;
  virtual std::uint64_t MonotonicMs() = 0;
  // How long until the local clock's second changes: what a thread that
  // looks at every second sleeps (a clock of a test may keep it short).
  virtual unsigned MsToNextSecond() {
    return 1000u - static_cast<unsigned>(LocalNow().Millisecond);
  }
};

class ISleeper {
 public:
  virtual ~ISleeper() = default;
  virtual void SleepMs(unsigned ms) = 0;
};

IClock& Clock();
TLocalTime LocalNow();
std::uint64_t MonotonicMs();
void SleepMs(unsigned ms);

// Folder of the running program, with a trailing separator.
std::string ProgramFolder();

// Test hooks: nullptr / empty restores the real implementation.
void SetClockForTest(IClock* clock);
void SetSleeperForTest(ISleeper* sleeper);
void SetProgramFolderForTest(const std::string& folder);

// The shell: the notification-area icon, opening files and folders, and the
// taskbar's position, described without Windows types (handles as numbers).
enum class TNotifyIconOp { Add, Modify, Delete };
enum class TBalloonIcon { None, Info, Warning, Error };

struct TNotifyIconData {
  std::uintptr_t Window = 0;
  unsigned Id = 0;
  unsigned CallbackMessage = 0;
  std::uintptr_t Icon = 0;
  std::string Tip;
  bool Balloon = false;  // the fields below are sent only with a balloon
  std::string BalloonTitle;
  std::string BalloonText;
  TBalloonIcon BalloonIcon = TBalloonIcon::None;
  unsigned BalloonTimeoutMs = 0;
};

// The screen edge the taskbar is on, the one encoding for every caller.
enum class TTaskbarEdge { Left, Top, Right, Bottom, Unknown };

struct TTaskbarPosition {
  TTaskbarEdge Edge = TTaskbarEdge::Unknown;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  virtual bool NotifyIcon(TNotifyIconOp op, const TNotifyIconData& data) = 0;
  // Opens path with the verb ("open", "explore"); owner is the active window.
  virtual bool Execute(const std::string& verb, const std::string& path, std::uintptr_t owner) = 0;
  // False when the shell gives no answer.
  virtual bool TaskbarPosition(TTaskbarPosition& position) = 0;
  // The shell's folder browser (file-system folders, new style) with the
  // preset selected; the chosen path, or "" when cancelled.
  virtual std::string ChooseFolder(const std::string& preset, const std::string& title,
                                   std::uintptr_t owner) = 0;
};

IShell& Shell();
void SetShellForTest(IShell* shell);

// The platform's own implementations (Seams_win.cpp / Seams_posix.cpp).
IClock& SystemClock();
void SystemSleepMs(unsigned ms);
std::string SystemProgramFolder();
IShell& SystemShell();

}  // namespace qv
