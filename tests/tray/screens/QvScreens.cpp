// Puts each window of the program into each of its states and writes a
// picture of it: qv-screens.exe <folder> [state...] (all states without any).
#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Capture.h"
#include "TrayScreens.h"
#include "tray/ResultPopup.h"
#include "ui/HtmlMessageBox.h"
#include "util/WinText.h"

namespace qv::screens {
namespace {

constexpr DWORD kSettleMs = 600;

std::string StartUpText() {
  return "<b>Quorvel</b> ben\xC3\xB6tigt noch einige Angaben:<br><br>"
         "<b>Zielverzeichnis f\xC3\xBCr Sicherungen fehlt.<br>";
}

bool Box(const std::string& path, const std::string& html, const std::string& help,
         bool unfoldHelp) {
  ui::THtmlMessageBox box;
  box.Prepare(html, help, "");
  box.Show();
  if (unfoldHelp) SendMessageW(GetDlgItem(box.Handle(), ui::kIdHelpButton), BM_CLICK, 0, 0);
  Settle(kSettleMs);
  return CaptureWindow(box.Handle(), path);
}

std::string ThirtyLines() {
  std::string text;
  for (int i = 1; i <= 30; ++i)
    text += "Zeile " + std::to_string(i) +
            ": Tabelle <b>KUNDEN.ADT</b> gepr\xC3\xBC"
            "ft<br>";
  return text;
}

std::string HelpText() {
  return "Bitte w\xC3\xA4hlen Sie im Fenster ein <b>Zielverzeichnis</b> f\xC3\xBCr die "
         "Sicherungen.<br>Protokoll: <a href=\"file://C:\\Quorvel\\DATABASEUTIL\\QUORVEL.htm\">"
         "C:\\Quorvel\\DATABASEUTIL\\QUORVEL.htm</a>";
}

// The popup at rest, before its timer slides it out.
bool Popup(const std::string& path, bool failed) {
  TResultPopup signal;
  signal.ShowResult(failed);
  Settle(kSettleMs);
  return CaptureWindow(signal.Handle(), path);
}

using TState = std::function<bool(const std::string&)>;

std::map<std::string, TState> States() {
  return {
      {"box-startup", [](const std::string& p) { return Box(p, StartUpText(), "", false); }},
      {"box-30-lines", [](const std::string& p) { return Box(p, ThirtyLines(), "", false); }},
      {"box-help", [](const std::string& p) { return Box(p, StartUpText(), HelpText(), true); }},
      {"main-idle", MainWindowIdle},
      {"main-running", MainWindowRunning},
      {"main-errors", MainWindowAfterErrors},
      {"main-target-missing", MainWindowTargetMissing},
      {"tray-menu", TrayMenuOpen},
      {"popup-success", [](const std::string& p) { return Popup(p, false); }},
      {"popup-error", [](const std::string& p) { return Popup(p, true); }},
  };
}

}  // namespace
}  // namespace qv::screens

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "qv-screens <folder> [state...]\n");
    return 2;
  }
  std::string folder = qv::Narrow(argv[1]);
  auto states = qv::screens::States();
  std::vector<std::string> wanted;
  for (int i = 2; i < argc; ++i) wanted.push_back(qv::Narrow(argv[i]));
  if (wanted.empty())
    for (const auto& [name, state] : states) wanted.push_back(name);
  int failed = 0;
  for (const auto& name : wanted) {
    auto it = states.find(name);
    std::string path = folder + "\\" + name + ".bmp";
    bool ok = it != states.end() && it->second(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", name.c_str());
    if (!ok) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
