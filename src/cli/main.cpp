// quorvel-cli: the backup engine of the tray program without a window, for
// admins, Task Scheduler, servers and tests.
#include <windows.h>
#include <shellapi.h>

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "app/EngineChoice.h"
#include "app/RunSettings.h"
#include "cli/Commands.h"
#include "util/PathCalls.h"
#include "util/WinText.h"

namespace {

std::vector<std::string> Utf8Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(qv::Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

int Main() {
  qv::TConsole console;
  CLI::App app{"Quorvel: prüft und sichert die Datenbanken von Kontorix.", "quorvel-cli"};
  app.set_help_flag("-h,--help", "Diese Hilfe anzeigen");
  bool version = false;
  app.add_flag("--version", version, "Die Version anzeigen");
  app.require_subcommand(0, 1);

  std::string target;
  std::vector<std::string> databases;
  CLI::App* run = app.add_subcommand("run", "Eine Sicherung aller Datenbanken ausführen");
  run->add_option("--target", target, "Sicherungsverzeichnis (sonst aus UserMode.INI)");
  run->add_option("--db", databases,
                  "Datenbankverzeichnis (mehrfach; sonst die Liste des Programms)");

  std::string engine = "auto";
  const char* engineHelp =
      "Datenbank-Engine: auto (die DLL der Bürosoftware, sonst die eingebaute), dll, builtin";
  run->add_option("--engine", engine, engineHelp)->check(CLI::IsMember({"auto", "dll", "builtin"}));

  std::vector<std::string> folders;
  CLI::App* check = app.add_subcommand("check", "Nur die Tabellen prüfen, nichts sichern");
  check->add_option("folders", folders, "Datenbankverzeichnisse")->required();
  check->add_option("--engine", engine, engineHelp)
      ->check(CLI::IsMember({"auto", "dll", "builtin"}));

  std::string verifyTarget;
  CLI::App* verify =
      app.add_subcommand("verify", "Alle Sicherungen vollständig zurücklesen (schreibt nichts)");
  verify->add_option("--target", verifyTarget, "Sicherungsverzeichnis (sonst aus UserMode.INI)");

  CLI::App* list = app.add_subcommand("list", "Datenbankliste und Einstellungen anzeigen");

  std::vector<std::string> args = Utf8Arguments();
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    console.Line(app.help());
    return qv::kExitOk;
  } catch (const CLI::ParseError& e) {
    console.Error("FEHLER: " + std::string(e.what()));
    console.Error(app.help());
    return qv::kExitUsage;
  }
  if (version) {
    console.Line("Quorvel " + qv::FileVersionText());
    return qv::kExitOk;
  }
  if (*list) return qv::ListCommand(console);
  if (*run || *check || *verify) {
    // Backup trees grow deep: paths relative to the current folder are made
    // full, so that every file call can take them in their long form.
    target = qv::FullPathName(target);
    verifyTarget = qv::FullPathName(verifyTarget);
    for (std::string& folder : databases) folder = qv::FullPathName(folder);
    for (std::string& folder : folders) folder = qv::FullPathName(folder);
    qv::TEngineMode mode = qv::TEngineMode::Auto;
    qv::ParseEngineMode(engine, mode);
    try {
      qv::TEngineChoice choice(mode);
      choice.ApplySettings();
      for (const std::string& line : choice.DescriptionLines()) console.Line(line);
      if (*run) return qv::RunCommand(console, target, databases);
      if (*check) return qv::CheckCommand(console, folders);
      return qv::VerifyCommand(console, verifyTarget);
    } catch (const qv::EEngineUnavailable& e) {
      console.Error("FEHLER: " + std::string(e.what()));
      return qv::kExitEngineMissing;
    }
  }
  console.Line(app.help());
  return qv::kExitUsage;
}

}  // namespace

int main() {
  try {
    return Main();
  } catch (const std::exception& e) {
    qv::TConsole().Error(std::string("FEHLER: ") + e.what());
    return qv::kExitProblems;
  }
}
