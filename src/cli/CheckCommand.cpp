#include "backup/TableCheck.h"
#include "cli/Commands.h"
#include "util/FileUtils.h"
#include "util/FileWalker.h"

namespace qv {
namespace {

// Checks the tables of one folder; false when any is not sound.
bool CheckFolder(TConsole& console, TTableCheckSession& session, const std::string& folder) {
  std::string dir = WithTrailingBackslash(folder);
  if (!IsExistingFolder(dir)) {
    console.Line("FEHLER: Verzeichnis nicht gefunden: " + dir);
    return false;
  }
  TFileWalker finder;
  finder.SetSearchFolder(dir);
  bool sound = true;
  int tables = 0;
  while (finder.FindNext()) {
    std::string name = ExtractFileName(finder.FoundPath());
    std::string base = TableBaseName(name);
    if (LowerCase1252(ExtractFileExt(name)) != ".adt" || base.empty()) continue;
    ++tables;
    try {
      session.CheckCopy(dir, base, name);
      console.Line("OK      " + dir + name);
    } catch (const std::exception& e) {
      sound = false;
      console.Line("FEHLER  " + dir + name + ": " + e.what());
    }
  }
  if (tables == 0) {
    console.Line("FEHLER: Keine Tabelle gefunden in " + dir);
    return false;
  }
  return sound;
}

}  // namespace

int CheckCommand(TConsole& console, const std::vector<std::string>& folders) {
  TTableCheckSession session;
  try {
    session.Connect();
  } catch (const std::exception& e) {
    console.Error(std::string("FEHLER: ") + e.what());
    return kExitProblems;
  }
  bool sound = true;
  for (const std::string& folder : folders) sound = CheckFolder(console, session, folder) && sound;
  return sound ? kExitOk : kExitProblems;
}

}  // namespace qv
