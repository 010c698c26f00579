#include "app/DatabaseList.h"
#include "app/EngineChoice.h"
#include "app/Protocol.h"
#include "app/RunSettings.h"
#include "cli/Commands.h"
#include "util/FileUtils.h"

namespace qv {

int ListCommand(TConsole& console) {
  TStringList user = LoadUserDefinedList();
  TStringList databases = CurrentDatabaseList();
  console.Line(user.empty() ? "Datenbanken (aus BASE.LST):" : "Datenbanken (aus UserDefined.txt):");
  if (databases.empty()) console.Line("  (keine)");
  for (const std::string& line : databases)
    console.Line("  " + line + (IsExistingFolder(line) ? "" : "   [nicht vorhanden]"));
  std::string target = TargetDirectorySetting();
  console.Line("Sicherungsverzeichnis: " + target + (IsExistingFolder(target) ? "" : "   [fehlt]"));
  console.Line("Sicherungen um (Stunden): " + HoursSetting());
  console.Line("Protokoll: " + ProtocolFileName());
  TEngineChoice engine(TEngineMode::Auto);
  for (const std::string& line : engine.DescriptionLines()) console.Line(line);
  return kExitOk;
}

}  // namespace qv
