#pragma once
// The DPI a window is drawn at.
#include <windows.h>

#include "ui/Dpi.h"

namespace qv::ui {

// The DPI of the window's monitor where the system tells it per window,
// else the screen's.
int WindowDpi(HWND window);

}  // namespace qv::ui
