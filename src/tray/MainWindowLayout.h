#pragma once
// Where the main window's controls go and how large its fonts and pictures
// are, designed at 96 DPI and scaled to the window's DPI: the one table of
// their places.
#include "tray/MainWindow.h"

namespace qv {

inline constexpr int kDesignClientWidth = 593;
inline constexpr int kDesignClientHeight = 159;

// A place at 96 DPI (left, top, width, height), relative to the parent.
struct TPlaceAt96 {
  int Id;
  int Left, Top, Width, Height;
};

inline constexpr TPlaceAt96 kPlaces[] = {
    {ID_PROGRAM_ICON, 13, 9, 32, 32},       {ID_TITLE, 45, 8, 371, 29},
    {ID_DATABASE_LIST, 13, 41, 453, 85},    {ID_HOURS_COMBO, 13, 133, 137, 22},
    {ID_TARGET_EDIT, 153, 133, 313, 22},    {ID_RUN_NOW, 476, 102, 109, 50},
    {ID_PROTOCOL_BUTTON, 476, 44, 109, 50}, {ID_RUN_STATUS_PANEL, 15, 55, 563, 46},
    {ID_RUN_STATUS_TEXT, 12, 12, 533, 20},
};

// The "..." button takes the right end of the target's place.
inline constexpr int kEllipsisWidth = 22;
// The hours drop down this many rows of the closed combo's height.
inline constexpr int kHoursComboRows = 12;
// The shrink button: a square at the top right corner of the client area.
inline constexpr int kShrinkButtonSize = 25;
inline constexpr int kShrinkButtonTop = 7;
inline constexpr int kShrinkButtonRightGap = 3;

// Text, the title's text, the glyphs on buttons and menu, an hour's row.
inline constexpr int kFontHeight = 12;
inline constexpr int kTitleFontHeight = 24;
inline constexpr int kGlyphSize = 16;
inline constexpr int kHoursRowHeight = 16;
// The title keeps this much room behind its text.
inline constexpr int kTitleTextGap = 4;
// The window's outer pixels cut away on the left and at the top; also the
// corners' rounding.
inline constexpr int kRegionCut = 5;

// The status panel shown during a run, and its border.
inline constexpr COLORREF kRunPanelColor = RGB(255, 225, 121);
inline constexpr COLORREF kRunPanelBorder = RGB(157, 191, 225);

constexpr const TPlaceAt96& PlaceOf(int id) {
  for (const TPlaceAt96& place : kPlaces)
    if (place.Id == id) return place;
  return kPlaces[0];
}

}  // namespace qv
