#include "tray/DatabaseListBox.h"

#include <commctrl.h>

#include <cmath>
#include <string>
#include <vector>

#include "ui/GdiHandles.h"
#include "ui/HtmlDraw.h"
#include "ui/controls/ControlClass.h"
#include "util/HtmlEscape.h"
#include "util/WinText.h"

namespace qv {
namespace {

constexpr UINT_PTR kFrameSubclassId = 0x4442;
constexpr int kBorderWidth = 1;

void PaintRedFrame(HWND list) {
  HDC dc = GetWindowDC(list);
  RECT r;
  GetWindowRect(list, &r);
  OffsetRect(&r, -r.left, -r.top);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FrameRect(dc, &r, red);
  DeleteObject(red);
  ReleaseDC(list, dc);
}

LRESULT CALLBACK FrameProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
  switch (message) {
    case WM_NCCALCSIZE: {
      LRESULT result = DefSubclassProc(list, message, wParam, lParam);
      RECT* r = reinterpret_cast<RECT*>(lParam);  // the first rectangle in both forms
      InflateRect(r, -kBorderWidth, -kBorderWidth);
      return result;
    }
    case WM_NCPAINT:
      DefSubclassProc(list, message, wParam, lParam);
      PaintRedFrame(list);
      return 0;
    case WM_SIZE: {
      LRESULT result = DefSubclassProc(list, message, wParam, lParam);
      RedrawWindow(list, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, FrameProc, kFrameSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

// Items are drawn as HTML in the list's own font height.
int FontHeight(HWND list) {
  LOGFONTW font = {};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  if (!handle || !GetObjectW(handle, sizeof font, &font) || font.lfHeight == 0) return 12;
  return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

// A line of the list is a folder's path: drawn as the text it is, never as markup.
std::string DatabaseItemHtml(HWND list, int index) {
  return HtmlText(DatabaseItemText(list, index));
}

}  // namespace

std::string DatabaseItemText(HWND list, int index) {
  return Narrow(ui::ItemText(list, index, LB_GETTEXTLEN, LB_GETTEXT));
}

HWND CreateDatabaseListBox(HWND parent, int id) {
  HWND list =
      CreateWindowExW(0, L"LISTBOX", L"",
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWVARIABLE |
                          LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleW(nullptr), nullptr);
  SetWindowSubclass(list, FrameProc, kFrameSubclassId, 0);
  SetWindowPos(list, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return list;
}

void MeasureDatabaseItem(HWND list, MEASUREITEMSTRUCT& item) {
  RECT client;
  GetClientRect(list, &client);
  ui::THtmlFonts fonts(FontHeight(list));
  ui::TWindowDC dc(list);
  ui::TGdiMeasurer measurer(dc.get(), fonts);
  ui::TLayoutOptions options;
  options.MaxWidth = static_cast<int>(std::lround(0.8 * client.right));
  std::string text = DatabaseItemHtml(list, static_cast<int>(item.itemID));
  int height = ui::LayoutHtml(ui::ParseHtml(text), measurer, options).Height;
  item.itemHeight = static_cast<UINT>(std::max(1L, std::lround(1.5 * height)));
}

void DrawDatabaseItem(const DRAWITEMSTRUCT& item) {
  if (static_cast<int>(item.itemID) < 0) return;
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  RECT r = item.rcItem;
  r.left += 5;
  ui::THtmlFonts fonts(FontHeight(item.hwndItem));
  std::string text = DatabaseItemHtml(item.hwndItem, static_cast<int>(item.itemID));
  ui::THtmlColors colors = selected ? ui::THtmlColors::ForSelection() : ui::THtmlColors();
  // Measured first, then drawn in the middle of the item's height.
  ui::TGdiMeasurer measurer(item.hDC, fonts);
  ui::TLayoutOptions options;
  options.MaxWidth = r.right - r.left;
  int height = ui::LayoutHtml(ui::ParseHtml(text), measurer, options).Height;
  r.top += std::max(0L, (r.bottom - r.top - height) / 2);
  ui::DrawHtmlText(item.hDC, r, text, fonts, colors, false);
}

}  // namespace qv
