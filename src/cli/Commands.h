#pragma once
// The commands of quorvel-cli; each gives the program's exit code.
#include <string>
#include <vector>

#include "cli/Console.h"

namespace qv {

enum TExitCode {
  kExitOk = 0,
  kExitProblems = 1,
  kExitTargetMissing = 2,
  kExitEngineMissing = 2,  // the engine DLL was demanded but cannot be used
  kExitRunLocked = 3,
  kExitUsage = 64,
};

// One backup run as the tray program makes it, without the window. The engine
// is chosen and set up before (run and check).
int RunCommand(TConsole& console, const std::string& target,
               const std::vector<std::string>& databases);
// The table check only: nothing is written into a backup tree.
int CheckCommand(TConsole& console, const std::vector<std::string>& folders);
// Reads every archive set and every table copy under the target back;
// writes nothing.
int VerifyCommand(TConsole& console, const std::string& target);
// The database list and the settings as the tray program sees them.
int ListCommand(TConsole& console);

}  // namespace qv
