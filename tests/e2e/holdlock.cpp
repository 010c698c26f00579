// Holds the run lock the way a running backup does, until its input closes.
#include <windows.h>

#include <cstdio>

#include "app/RunLock.h"

int main() {
  qv::TRunLock lock;
  std::printf(lock.Acquired() ? "held\n" : "busy\n");
  std::fflush(stdout);
  char buffer[16];
  DWORD done = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &done, nullptr) &&
         done > 0) {
  }
  return lock.Acquired() ? 0 : 1;
}
