#pragma once
// A drop-down list whose items carry check boxes. A click on an item in
// the open list toggles its check and leaves the list open; the parent
// hears of every toggle as WM_COMMAND with kCheckListChanged. The closed
// box shows the captions of the checked items.
#include <windows.h>

#include <string>

namespace qv::ui {

inline constexpr WORD kCheckListChanged = 0x4C43;

HWND CreateCheckListCombo(HWND parent, int id, const RECT& place, int itemHeight);
void SetCheckListItemHeight(HWND combo, int itemHeight);
int AddCheckListItem(HWND combo, const std::wstring& caption);
bool IsCheckListItemChecked(HWND combo, int index);
void SetCheckListItemChecked(HWND combo, int index, bool checked);
// Toggles as a click would, telling the parent.
void ToggleCheckListItem(HWND combo, int index);
// Draws an item of such a combo box (from its parent's WM_DRAWITEM).
void DrawCheckListItem(const DRAWITEMSTRUCT& item);

}  // namespace qv::ui
