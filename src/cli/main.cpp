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

// What the command line asked for.
struct TCommandLine {
  bool version = false;
  std::string target;
  std::vector<std::string> databases;
  std::string engine = "auto";
  std::vector<std::string> checkFolders;
  std::string verifyTarget;
  CLI::App* run = nullptr;
  CLI::App* check = nullptr;
  CLI::App* verify = nullptr;
  CLI::App* list = nullptr;
};

void DefineCommands(CLI::App& app, TCommandLine& line) {
  app.set_help_flag("-h,--help", "Diese Hilfe anzeigen");
  app.add_flag("--version", line.version, "Die Version anzeigen");
  app.require_subcommand(0, 1);

  line.run = app.add_subcommand("run", "Eine Sicherung aller Datenbanken ausführen");
  line.run->add_option("--target", line.target, "Sicherungsverzeichnis (sonst aus UserMode.INI)");
  line.run->add_option("--db", line.databases,
                       "Datenbankverzeichnis (mehrfach; sonst die Liste des Programms)");
  const char* engineHelp =
      "Datenbank-Engine: auto (die DLL der Bürosoftware, sonst die eingebaute), dll, builtin";
  line.run->add_option("--engine", line.engine, engineHelp)
      ->check(CLI::IsMember({"auto", "dll", "builtin"}));

  line.check = app.add_subcommand("check", "Nur die Tabellen prüfen, nichts sichern");
  line.check->add_option("folders", line.checkFolders, "Datenbankverzeichnisse")->required();
  line.check->add_option("--engine", line.engine, engineHelp)
      ->check(CLI::IsMember({"auto", "dll", "builtin"}));

  line.verify =
      app.add_subcommand("verify", "Alle Sicherungen vollständig zurücklesen (schreibt nichts)");
  line.verify->add_option("--target", line.verifyTarget,
                          "Sicherungsverzeichnis (sonst aus UserMode.INI)");

  line.list = app.add_subcommand("list", "Datenbankliste und Einstellungen anzeigen");
}

// run, check and verify: each names the engine it would use first.
int EngineCommand(qv::TConsole& console, TCommandLine& line) {
  // Backup trees grow deep: paths relative to the current folder are made
  // full, so that every file call can take them in their long form.
  line.target = qv::FullPathName(line.target);
  line.verifyTarget = qv::FullPathName(line.verifyTarget);
  for (std::string& folder : line.databases) folder = qv::FullPathName(folder);
  for (std::string& folder : line.checkFolders) folder = qv::FullPathName(folder);
  qv::TEngineMode mode = qv::TEngineMode::Auto;
  qv::ParseEngineMode(line.engine, mode);
  try {
    qv::TEngineChoice choice(mode);
    choice.ApplySettings();
    for (const std::string& text : choice.DescriptionLines()) console.Line(text);
    if (*line.run) return qv::RunCommand(console, line.target, line.databases);
    if (*line.check) return qv::CheckCommand(console, line.checkFolders);
    return qv::VerifyCommand(console, line.verifyTarget);
  } catch (const qv::EEngineUnavailable& e) {
    console.Error("FEHLER: " + std::string(e.what()));
    return qv::kExitEngineMissing;
  }
}

int Main() {
  qv::TConsole console;
  CLI::App app{"Quorvel: prüft und sichert die Datenbanken von Kontorix.", "quorvel-cli"};
  TCommandLine line;
  DefineCommands(app, line);

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
  if (line.version) {
    console.Line("Quorvel " + qv::FileVersionText());
    return qv::kExitOk;
  }
  if (*line.list) return qv::ListCommand(console);
  if (*line.run || *line.check || *line.verify) return EngineCommand(console, line);
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
