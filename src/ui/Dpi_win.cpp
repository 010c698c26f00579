#include <windows.h>

#include "ui/Dpi.h"

namespace qv::ui {

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace qv::ui
