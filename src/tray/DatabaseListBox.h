#pragma once
// The database list box: owner-drawn items of varying height, and a
// one-pixel pure red frame around the whole control.
#include <windows.h>

#include <string>

namespace qv {

HWND CreateDatabaseListBox(HWND parent, int id);
std::string DatabaseItemText(HWND list, int index);
// An item's height: one and a half times its text's height within 0.8 of
// the list's width.
void MeasureDatabaseItem(HWND list, MEASUREITEMSTRUCT& item);
void DrawDatabaseItem(const DRAWITEMSTRUCT& item);

}  // namespace qv
