#include "ui/controls/CheckListCombo.h"

#include <commctrl.h>

#include <vector>

#include "ui/controls/ControlClass.h"

namespace qv::ui {
namespace {

constexpr UINT_PTR kListSubclassId = 0x434C;

std::wstring CheckedCaptions(HWND combo) {
  std::wstring text;
  int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (!IsCheckListItemChecked(combo, i)) continue;
    if (!text.empty()) text += L", ";
    text += ItemText(combo, i, CB_GETLBTEXTLEN, CB_GETLBTEXT);
  }
  return text;
}

// The open list keeps itself open while items are clicked.
LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR comboData) {
  HWND combo = reinterpret_cast<HWND>(comboData);
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_LBUTTONUP) {
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client;
    GetClientRect(list, &client);
    if (PtInRect(&client, p)) {
      if (message != WM_LBUTTONUP) {
        LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
        if (HIWORD(hit) == 0) ToggleCheckListItem(combo, LOWORD(hit));
      }
      return 0;
    }
  } else if (message == WM_KEYDOWN && wParam == VK_SPACE) {
    int index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (index >= 0) ToggleCheckListItem(combo, index);
    return 0;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(list, ListProc, kListSubclassId);
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

HWND CreateCheckListCombo(HWND parent, int id, const RECT& place, int itemHeight) {
  HWND combo = CreateWindowExW(
      0, L"COMBOBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
          CBS_HASSTRINGS,
      place.left, place.top, place.right - place.left, (place.bottom - place.top) * 12, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SetCheckListItemHeight(combo, itemHeight);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(combo, &info) && info.hwndList)
    SetWindowSubclass(info.hwndList, ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(combo));
  return combo;
}

void SetCheckListItemHeight(HWND combo, int itemHeight) {
  SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight);
  SendMessageW(combo, CB_SETITEMHEIGHT, 0, itemHeight);
}

int AddCheckListItem(HWND combo, const std::wstring& caption) {
  int index = static_cast<int>(
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str())));
  if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, index, 0);
  return index;
}

bool IsCheckListItemChecked(HWND combo, int index) {
  LRESULT data = SendMessageW(combo, CB_GETITEMDATA, index, 0);
  return data != CB_ERR && data != 0;
}

void SetCheckListItemChecked(HWND combo, int index, bool checked) {
  SendMessageW(combo, CB_SETITEMDATA, index, checked ? 1 : 0);
  InvalidateRect(combo, nullptr, FALSE);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(combo, &info) && info.hwndList) InvalidateRect(info.hwndList, nullptr, FALSE);
}

void ToggleCheckListItem(HWND combo, int index) {
  SetCheckListItemChecked(combo, index, !IsCheckListItemChecked(combo, index));
  if (HWND parent = GetParent(combo))
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), kCheckListChanged),
                 reinterpret_cast<LPARAM>(combo));
}

void DrawCheckListItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool field = (item.itemState & ODS_COMBOBOXEDIT) != 0;
  bool selected = (item.itemState & ODS_SELECTED) != 0 && !field;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  std::wstring text;
  if (field) {
    text = CheckedCaptions(item.hwndItem);
  } else if (static_cast<int>(item.itemID) >= 0) {
    int box = r.bottom - r.top - 4;
    RECT check = {r.left + 2, r.top + 2, r.left + 2 + box, r.top + 2 + box};
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (IsCheckListItemChecked(item.hwndItem, static_cast<int>(item.itemID))) state |= DFCS_CHECKED;
    DrawFrameControl(dc, &check, DFC_BUTTON, state);
    r.left = check.right + 4;
    text = ItemText(item.hwndItem, static_cast<int>(item.itemID), CB_GETLBTEXTLEN, CB_GETLBTEXT);
  }
  r.left += field ? 3 : 0;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if ((item.itemState & ODS_FOCUS) && !field) DrawFocusRect(dc, &item.rcItem);
}

}  // namespace qv::ui
