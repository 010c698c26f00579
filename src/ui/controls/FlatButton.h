#pragma once
// A flat button: a plain face that lights up under the mouse, a thin
// border, an optional glyph left of its text. Clicks reach the parent as
// WM_COMMAND with BN_CLICKED, also for BM_CLICK.
#include <windows.h>

#include <string>

namespace qv::ui {

inline constexpr wchar_t kFlatButtonClass[] = L"QvFlatButton";

struct TFlatButtonColors {
  COLORREF Face = RGB(240, 240, 240);
  COLORREF Hot = RGB(250, 250, 250);
  COLORREF Down = RGB(215, 215, 215);
  COLORREF Border = RGB(128, 128, 128);
  COLORREF BorderHot = RGB(0, 84, 153);
};

HWND CreateFlatButton(HWND parent, int id, const std::wstring& text, const RECT& place);
// The glyph stays owned by the caller; size is its drawn edge in pixels.
void SetFlatButtonGlyph(HWND button, HICON glyph, int size);
void SetFlatButtonColors(HWND button, const TFlatButtonColors& colors);

}  // namespace qv::ui
