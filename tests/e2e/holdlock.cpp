// Holds the run lock the way a running backup does, or (with a file name)
// holds that file open without sharing, or (with --instance) holds the tray
// program's instance mutex as a program that closed its window and is still
// finishing its work; until its input closes.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/RunLock.h"
#include "app/SingleInstance.h"
#include "util/Handles.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::optional<qv::TRunLock> lock;
  qv::TFileHandle file;
  qv::TKernelHandle instance;
  bool held = false;
  if (argc > 1 && std::wstring(argv[1]) == L"--instance") {
    instance.reset(CreateMutexW(nullptr, FALSE, qv::kInstanceMutexName));
    held = instance.valid();
  } else if (argc > 1) {
    file.reset(CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    held = file.valid();
  } else {
    lock.emplace();
    held = lock->Acquired();
  }
  std::printf(held ? "held\n" : "busy\n");
  std::fflush(stdout);
  char buffer[16];
  DWORD done = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &done, nullptr) &&
         done > 0) {
  }
  LocalFree(argv);
  return held ? 0 : 1;
}
