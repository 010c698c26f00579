// Waits until a top-level window of the given class exists (exit 0) or the
// given number of seconds has passed (exit 1): a test knows then that a
// program it started is ready for messages.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) return 64;
  const DWORD limit = GetTickCount() + 1000u * std::strtoul(argv[2], nullptr, 10);
  while (!FindWindowA(argv[1], nullptr)) {
    if (static_cast<LONG>(GetTickCount() - limit) >= 0) return 1;
    Sleep(100);
  }
  return 0;
}
