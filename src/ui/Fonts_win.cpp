#include "ui/Fonts.h"

namespace qv::ui {

HFONT CreateTahoma(int pixelHeight, int weight, int escapement) {
  LOGFONTW lf = {};
  lf.lfHeight = -pixelHeight;
  lf.lfWeight = weight;
  lf.lfEscapement = lf.lfOrientation = escapement;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpyW(lf.lfFaceName, L"Tahoma");
  return CreateFontIndirectW(&lf);
}

}  // namespace qv::ui
