#pragma once
// A panel: a coloured area holding controls. It passes its controls'
// notifications (commands, owner drawing, control colours) on to its own
// parent, so one window handles all of them. A dragging panel lets the
// user move its top-level window by pressing the left button on it.
#include <windows.h>

namespace qv::ui {

inline constexpr wchar_t kPanelClass[] = L"QvPanel";

HWND CreatePanel(HWND parent, int id, const RECT& place, COLORREF color);
void SetPanelColor(HWND panel, COLORREF color);
COLORREF PanelColor(HWND panel);
// The brush of the panel's colour (owned by the panel).
HBRUSH PanelBrush(HWND panel);
// A one-pixel frame, light at the top and left, dark at the bottom and right.
void SetPanelBorder(HWND panel, COLORREF light, COLORREF dark);
void SetPanelDrags(HWND panel, bool drags);

// Lets the user drag window's top-level window (as by its caption).
void BeginWindowDrag(HWND window);

}  // namespace qv::ui
