#include "TrayScreens.h"

#include <windows.h>

#include <filesystem>
#include <memory>

#include "Capture.h"
#include "app/MainWindow.h"
#include "util/Seams.h"
#include "util/WinText.h"

namespace qv::screens {
namespace {

constexpr DWORD kSettleMs = 600;

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
}

// A program folder with the user's own list (one long network path among
// them) and an existing target directory.
std::string PrepareProgramFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::filesystem::path folder = std::filesystem::path(temp) / L"qv-screens-tray";
  std::filesystem::create_directories(folder / L"Sicherungen");
  WriteBytes(folder / L"DATABASEUTIL" / L"UserDefined.txt",
             "C:\\Kontorix\\Daten\\\r\n"
             "\\\\server\\freigabe\\Kontorix\\Mandanten\\Musterfirma GmbH und Co. KG\\"
             "Buchhaltung und Warenwirtschaft\\Datenbanken 2026\\\r\n"
             "D:\\Kontorix\\Filiale Nord\\\r\n");
  std::string root = Narrow(folder.wstring()) + "\\";
  WriteBytes(folder / L"UserMode.INI",
             "[MODE]\r\nTVEZivavuvIdazadide.TVEZivavuvIdazadide=\"" + root + "Sicherungen\\\"\r\n");
  return root;
}

std::unique_ptr<TVEZivavuvIdazadide> StartedWindow() {
  SetProgramFolderForTest(PrepareProgramFolder());
  TMainWindowOptions options;
  options.EndsProgram = false;
  auto window = std::make_unique<TVEZivavuvIdazadide>(options);
  Settle(kSettleMs);  // shown once, shrunk away
  return window;
}

// What the menu's timer needs, hung on the menu's owner window.
constexpr wchar_t kMenuPictureProp[] = L"QvMenuPicture";
struct TMenuPicture {
  std::string Path;
  bool Captured = false;
};

// Takes the picture of the open menu from inside its modal loop, then closes it.
void CALLBACK CaptureMenu(HWND owner, UINT, UINT_PTR timer, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  auto* picture = static_cast<TMenuPicture*>(GetPropW(owner, kMenuPictureProp));
  if (!picture || !menu || !IsWindowVisible(menu)) return;
  KillTimer(owner, timer);
  picture->Captured = CaptureWindow(menu, picture->Path);
  EndMenu();
}

}  // namespace

bool MainWindowIdle(const std::string& path) {
  auto window = StartedWindow();
  window->Anzeigen1Click();
  SendMessageW(window->LBDataBases, LB_SETCURSEL, 0, 0);
  Settle(kSettleMs);
  return CaptureWindow(window->Handle(), path);
}

bool TrayMenuOpen(const std::string& path) {
  auto window = StartedWindow();
  RECT wa;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
  SetCursorPos(wa.right - 40, wa.bottom - 8);
  TMenuPicture picture{path};
  SetPropW(window->Handle(), kMenuPictureProp, &picture);
  SetTimer(window->Handle(), 1, kSettleMs, CaptureMenu);
  window->ShowTrayMenu();
  RemovePropW(window->Handle(), kMenuPictureProp);
  return picture.Captured;
}

}  // namespace qv::screens
