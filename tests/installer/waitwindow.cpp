// Waits until a top-level window of the given class exists (exit 0) or the
// given number of seconds has passed (exit 1): a test knows then that a
// program it started is ready for messages. With "close" as a third
// argument it asks every such window to close, as "Beenden" does, and waits
// until none is left (exit 0) instead.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

bool TimeIsUp(DWORD limit) { return static_cast<LONG>(GetTickCount() - limit) >= 0; }

int CloseAll(const char* windowClass, DWORD limit) {
  HWND asked = nullptr;
  while (HWND window = FindWindowA(windowClass, nullptr)) {
    if (window != asked) PostMessageA(window, WM_CLOSE, 0, 0);  // once, as a user would
    asked = window;
    if (TimeIsUp(limit)) return 1;
    Sleep(100);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::strcmp(argv[3], "close") == 0)) return 64;
  const DWORD limit = GetTickCount() + 1000u * std::strtoul(argv[2], nullptr, 10);
  if (argc == 4) return CloseAll(argv[1], limit);
  while (!FindWindowA(argv[1], nullptr)) {
    if (TimeIsUp(limit)) return 1;
    Sleep(100);
  }
  return 0;
}
