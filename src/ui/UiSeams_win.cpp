#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "ui/UiSeams.h"
#include "util/WinText.h"

namespace qv::ui {
namespace {

class TShellLinkOpener final : public ILinkOpener {
 public:
  bool Open(const std::string& target) override {
    std::wstring file = Widen(target);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
  }
};

class TWindowsSoundPlayer final : public ISoundPlayer {
 public:
  bool PlayMemory(const void* data, std::size_t) override {
    return PlaySoundW(static_cast<LPCWSTR>(data), nullptr,
                      SND_MEMORY | SND_ASYNC | SND_NODEFAULT) != FALSE;
  }
};

class TWindowsTaskbar final : public ITaskbar {
 public:
  TTaskbarEdge Edge() override {
    TTaskbarPosition position;
    return SystemShell().TaskbarPosition(position) ? position.Edge : TTaskbarEdge::Unknown;
  }
  int Height() override {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT r{};
    if (!tray || !GetWindowRect(tray, &r)) return 0;
    return r.bottom - r.top;
  }
};

}  // namespace

ILinkOpener& SystemLinkOpener() {
  static TShellLinkOpener shell;
  return shell;
}

ISoundPlayer& SystemSoundPlayer() {
  static TWindowsSoundPlayer player;
  return player;
}

ITaskbar& SystemTaskbar() {
  static TWindowsTaskbar taskbar;
  return taskbar;
}

}  // namespace qv::ui
