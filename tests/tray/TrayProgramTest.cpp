// quorvel.exe as a user starts it: a second start shows the first one's
// window and ends at once.
#include <gtest/gtest.h>

#include <string>

#include "WinPump.h"
#include "WinTestSupport.h"
#include "tray/MainWindow.h"
#include "util/WinText.h"

namespace qv {
namespace {

std::string HostPathToWine(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

HWND FindMainWindow() { return FindWindowW(kMainWindowClass, nullptr); }

BOOL CALLBACK CountMainWindow(HWND window, LPARAM count) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 255);
  if (lstrcmpW(name, kMainWindowClass) == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int MainWindowCount() {
  int count = 0;
  EnumWindows(CountMainWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// Hidden again at the place of its showing: it was shown and has shrunk away.
bool ShownAndShrunkAway(HWND window) {
  RECT wa, frame;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
  if (!window || IsWindowVisible(window) || !GetWindowRect(window, &frame)) return false;
  return frame.left == wa.right - (frame.right - frame.left) - 4;
}

class TProcess {
 public:
  explicit TProcess(const std::string& exe) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring command = L"\"" + Widen(exe) + L"\"";
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &info_) != FALSE;
  }
  ~TProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 9);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;
  bool Started() const { return started_; }
  bool Ended(DWORD waitMs) const {
    return WaitForSingleObject(info_.hProcess, waitMs) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

TEST(TrayProgram, ASecondStartShowsTheFirstWindowAndEndsAtOnce) {
  test::TTempDir dir;
  std::string exe = dir / "quorvel.exe";
  ASSERT_TRUE(CopyFileW(Widen(HostPathToWine(QV_QUORVEL_EXE)).c_str(), Widen(exe).c_str(), FALSE));
  test::WriteBytes(dir / "UserMode.INI", "[MODE]\r\nTVEZivavuvIdazadide.TVEZivavuvIdazadide=\"" +
                                             ToAnsi(dir.Path()) + "\"\r\n");

  TProcess first(exe);
  ASSERT_TRUE(first.Started());
  // The first start shows its window once and lets it shrink away. Before its
  // showing the window already stands hidden at that place: it must have been
  // seen on the screen first.
  HWND window = nullptr;
  bool seen = false;
  ASSERT_TRUE(test::PumpUntil(
      [&] {
        window = FindMainWindow();
        seen = seen || (window && IsWindowVisible(window));
        return seen && ShownAndShrunkAway(window);
      },
      60000));

  TProcess second(exe);
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.Ended(30000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_TRUE(test::PumpUntil([&] { return IsWindowVisible(window) != FALSE; }))
      << "main windows: " << MainWindowCount() << ", exists: " << IsWindow(window);
  EXPECT_EQ(MainWindowCount(), 1);
  EXPECT_FALSE(first.Ended(0));

  // "Beenden" ends the first one (no run is active).
  SendMessageW(window, WM_COMMAND, ID_MENU_EXIT, 0);
  EXPECT_TRUE(first.Ended(30000));
}

}  // namespace
}  // namespace qv
