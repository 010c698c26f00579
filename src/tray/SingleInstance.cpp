#include "tray/SingleInstance.h"

#include "tray/MainWindow.h"

namespace qv {
namespace {

BOOL CALLBACK SendShowRequest(HWND window, LPARAM count) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 255);
  if (lstrcmpW(name, kMainWindowClass) == 0) {
    char empty = '\0';
    COPYDATASTRUCT data = {kShowRequestTag, 1, &empty};
    SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    ++*reinterpret_cast<int*>(count);
  }
  return TRUE;  // every window of the class gets the request
}

}  // namespace

TKernelHandle ClaimFirstInstance() {
  TKernelHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
  if (!mutex.valid() || GetLastError() != 0) return TKernelHandle();
  return mutex;
}

int SendShowRequests() {
  // The first instance may bring its window to the front.
  AllowSetForegroundWindow(ASFW_ANY);
  int sent = 0;
  EnumWindows(SendShowRequest, reinterpret_cast<LPARAM>(&sent));
  return sent;
}

}  // namespace qv
