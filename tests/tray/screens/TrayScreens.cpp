#include "TrayScreens.h"

#include <windows.h>

#include <filesystem>
#include <memory>

#include "Capture.h"
#include "tray/MainWindow.h"
#include "backup/JobChannel.h"
#include "ui/HtmlMessageBox.h"
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
// them) and a target directory that exists or not.
std::string PrepareProgramFolder(bool targetExists = true) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::filesystem::path folder = std::filesystem::path(temp) / L"qv-screens-tray";
  std::filesystem::create_directories(folder / L"Sicherungen");
  WriteBytes(folder / L"DATABASEUTIL" / L"UserDefined.txt",
             "C:\\Kontorix\\Daten\\\r\n"
             "\\\\server\\freigabe\\Kontorix\\Mandanten\\Musterfirma GmbH und Co. KG\\"
             "Buchhaltung und Warenwirtschaft\\Datenbanken 2026\\\r\n"
             "D:\\Kontorix\\Filiale Nord\\\r\n");
  // The first database exists, so that a run has a job.
  std::filesystem::create_directories(L"C:\\Kontorix\\Daten");
  std::string root = Narrow(folder.wstring()) + "\\";
  std::string target = root + (targetExists ? "Sicherungen\\" : "Fehlt\\");
  WriteBytes(folder / L"UserMode.INI", "[MODE]\r\nTVEZivavuvIdazadide.TVEZivavuvIdazadide=\"" +
                                           target +
                                           "\"\r\nTVEZivavuvIdazadide.Cron=\"8,12,16\"\r\n");
  return root;
}

// Closes the start-up's message box as the user would.
void CALLBACK CloseBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(ui::kBoxClassName, nullptr);
  if (box && IsWindowVisible(box))
    SendMessageW(GetDlgItem(box, ui::kIdCloseButton), BM_CLICK, 0, 0);
}

std::unique_ptr<TMainWindow> StartedWindow(bool targetExists = true) {
  SetProgramFolderForTest(PrepareProgramFolder(targetExists));
  UINT_PTR closer = targetExists ? 0 : SetTimer(nullptr, 0, kSettleMs, CloseBox);
  TMainWindowOptions options;
  options.EndsProgram = false;
  auto window = std::make_unique<TMainWindow>(options);
  if (closer) KillTimer(nullptr, closer);
  Settle(kSettleMs);  // shown once, shrunk away
  return window;
}

// The shell without opening pages: the picture driver must not start a browser.
class TQuietShell final : public IShell {
 public:
  TQuietShell() { SetShellForTest(this); }
  ~TQuietShell() override { SetShellForTest(nullptr); }
  TQuietShell(const TQuietShell&) = delete;
  TQuietShell& operator=(const TQuietShell&) = delete;
  bool NotifyIcon(TNotifyIconOp op, const TNotifyIconData& data) override {
    return SystemShell().NotifyIcon(op, data);
  }
  bool Execute(const std::string&, const std::string&, std::uintptr_t) override { return true; }
  bool TaskbarPosition(TTaskbarPosition& position) override {
    return SystemShell().TaskbarPosition(position);
  }
  std::string ChooseFolder(const std::string&, const std::string&, std::uintptr_t) override {
    return {};
  }
};

// A backup job that reports a table in progress, waits for the picture and
// ends, with an error or without.
class TPictureJob final : public TWorkerThreadJob {
 public:
  TPictureJob(std::shared_ptr<TJobChannel> channel, std::string dir, HANDLE gate, bool fails)
      : channel_(std::move(channel)), dir_(std::move(dir)), gate_(gate), fails_(fails) {}
  void Run() override {
    Post("</b>08.12.2026 14:00:07<b></b>: Tabelle <b>KUNDEN.ADT</b> wird geprüft (3 von 12)",
         false);
    WaitForSingleObject(gate_, 30000);
    Post(fails_ ? "</b>08.12.2026 14:00:09<b>: <FONT color=\"#FF0000\">Tabelle KUNDEN.ADT ist "
                  "beschädigt (Fehler 5012)</FONT>"
                : "</b>08.12.2026 14:00:09<b></b>: Alle Tabellen in Ordnung.",
         true);
  }

 private:
  void Post(const std::string& text, bool final) {
    auto item = std::make_unique<TJobReport>();
    item->Text = text;
    item->Final = final;
    item->Failed = final && fails_;
    item->DatabaseDir = dir_;
    channel_->PostReport(std::move(item));
  }
  std::shared_ptr<TJobChannel> channel_;
  std::string dir_;
  HANDLE gate_;
  bool fails_;
};

// The window shown and a run started whose jobs wait at the gate.
std::unique_ptr<TMainWindow> RunningWindow(HANDLE gate, bool fails) {
  auto window = StartedWindow();
  TBackupJobPool& pool = window->JobPool();
  pool.MakeBackupJob = [&pool, gate, fails](const std::string&, const std::string& dir,
                                            const std::string&) -> TJobPtr {
    return std::make_unique<TPictureJob>(pool.Channel(), dir, gate, fails);
  };
  window->ShowOnRequest();
  Settle(kSettleMs);
  window->StartRun();
  Settle(kSettleMs);
  return window;
}

void AwaitRunEnd(TMainWindow& window) {
  for (int i = 0; i < 100 && window.Running(); ++i) Settle(50);
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
  window->ShowOnRequest();
  SendMessageW(window->Controls().databaseList, LB_SETCURSEL, 0, 0);
  Settle(kSettleMs);
  return CaptureWindow(window->Handle(), path);
}

bool MainWindowRunning(const std::string& path) {
  TQuietShell shell;
  TKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto window = RunningWindow(gate.get(), false);
  bool captured = window->Running() && CaptureWindow(window->Handle(), path);
  SetEvent(gate.get());
  AwaitRunEnd(*window);
  return captured;
}

bool MainWindowAfterErrors(const std::string& path) {
  TQuietShell shell;
  TKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  auto window = RunningWindow(gate.get(), true);
  SetEvent(gate.get());
  AwaitRunEnd(*window);
  Settle(kSettleMs * 2);  // the popup has slid up
  // The window and the popup beside it, as the user sees them.
  RECT main, popup, both;
  GetWindowRect(window->Handle(), &main);
  GetWindowRect(window->ResultPopup()->Handle(), &popup);
  UnionRect(&both, &main, &popup);
  return !window->Running() && CaptureRect(both, path);
}

bool MainWindowTargetMissing(const std::string& path) {
  TQuietShell shell;
  auto window = StartedWindow(false);
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
  window->Commands().ShowTrayMenu();
  RemovePropW(window->Handle(), kMenuPictureProp);
  return picture.Captured;
}

}  // namespace qv::screens
