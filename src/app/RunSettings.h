#pragma once
// The run's settings as the tray program and the console read them.
#include <string>

namespace qv {

// The target from UserMode.INI, else the common documents folder +
// "Quorvel Sicherungen\" (created; not written back).
std::string TargetDirectorySetting();
// The chosen hours, or the default "8,9,...,18" when none are stored.
std::string HoursSetting();
// The version of the running program file ("Unbekannt" when it has none).
std::string FileVersionText();

}  // namespace qv
