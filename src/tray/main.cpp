// quorvel.exe: the tray program's entry.
#include <windows.h>

#include "app/EngineChoice.h"
#include "tray/MainWindow.h"
#include "tray/SingleInstance.h"
#include "sched/CronScheduler.h"
#include "util/WinText.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  qv::TCronSchedulerScope timers;
  qv::TKernelHandle instance = qv::ClaimFirstInstance();
  if (!instance.valid()) {
    qv::SendShowRequests();
    return 0;
  }
  try {
    // The office application's engine DLL where it can be used, else the built-in one.
    qv::TEngineChoice engine(qv::TEngineMode::Auto);
    engine.ApplySettings();
    qv::TMainWindow mainWindow;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (mainWindow.PreviewKey(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
  } catch (const std::exception& error) {
    std::wstring text = L"Quorvel kann nicht starten:\n" + qv::Widen(error.what());
    MessageBoxW(nullptr, text.c_str(), L"Quorvel", MB_ICONERROR | MB_OK);
    return 1;
  }
}
