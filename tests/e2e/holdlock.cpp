// Holds the run lock the way a running backup does, or (with a file name)
// holds that file open without sharing, or (with --closing) stands in for a
// tray program that agreed to close and still finishes its copies: it keeps
// its instance and a main window that ignores WM_CLOSE. Until its input closes.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "app/RunLock.h"
#include "tray/SingleInstance.h"
#include "util/Handles.h"

namespace {

LRESULT CALLBACK IgnoreClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND OpenClosingMainWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = IgnoreClose;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TVEZivavuvIdazadide";  // the tray program's main window
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, windowClass.lpszClassName, L"Quorvel", WS_OVERLAPPED, 0, 0, 0, 0,
                         nullptr, nullptr, windowClass.hInstance, nullptr);
}

// Waits until the input closes, answering window messages meanwhile.
void WaitForInputEnd() {
  qv::TKernelHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE event = ended.get();
  std::thread reader([event] {
    char buffer[16];
    DWORD done = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &done, nullptr) &&
           done > 0) {
    }
    SetEvent(event);
  });
  while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  reader.join();
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::optional<qv::TRunLock> lock;
  qv::TFileHandle file;
  qv::TKernelHandle instance;
  bool held = false;
  if (argc > 1 && std::wstring(argv[1]) == L"--closing") {
    instance.reset(CreateMutexW(nullptr, FALSE, qv::kInstanceMutexName));
    held = instance.valid() && OpenClosingMainWindow() != nullptr;
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
  WaitForInputEnd();
  LocalFree(argv);
  return held ? 0 : 1;
}
