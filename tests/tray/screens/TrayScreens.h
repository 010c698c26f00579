#pragma once
// Pictures of the tray program's main window and its tray menu.
#include <string>

namespace qv::screens {

// The main window shown, idle, with a database list holding a long path.
bool MainWindowIdle(const std::string& path);
// During a run: the greyed picture and the yellow status panel with a progress line.
bool MainWindowRunning(const std::string& path);
// After a run with errors: the window and the red popup.
bool MainWindowAfterErrors(const std::string& path);
// Started with a missing target directory (the message box closed).
bool MainWindowTargetMissing(const std::string& path);
// The tray menu open (as after a right click on the icon, window hidden).
bool TrayMenuOpen(const std::string& path);

}  // namespace qv::screens
