#pragma once
// The one font factory of the program's windows: every text is Tahoma.
#include <windows.h>

namespace qv::ui {

// Tahoma of a character height in pixels (already scaled) and a weight
// (FW_NORMAL, FW_BOLD); escapement in tenths of a degree turns the text.
HFONT CreateTahoma(int pixelHeight, int weight, int escapement = 0);

}  // namespace qv::ui
