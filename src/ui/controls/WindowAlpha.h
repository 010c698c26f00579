#pragma once
// Constant opacity for a top-level window, where the system has layered
// windows (looked up at run time; elsewhere the window stays opaque).
#include <windows.h>

namespace qv::ui {

void SetWindowAlpha(HWND window, BYTE alpha);

}  // namespace qv::ui
