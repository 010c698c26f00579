#include "ui/controls/Panel.h"

#include "ui/WindowObject.h"
#include "ui/controls/ControlClass.h"
#include "ui/GdiHandles.h"
#include "util/Handles.h"

namespace qv::ui {
namespace {

class TPanel {
 public:
  explicit TPanel(HWND window) : window_(window) {}
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void SetColor(COLORREF color) {
    Color = color;
    Brush.reset(CreateSolidBrush(color));
    InvalidateRect(window_, nullptr, TRUE);
  }

  COLORREF Color = RGB(255, 255, 255);
  TBrush Brush;
  bool Bordered = false;
  COLORREF Light = 0, Dark = 0;
  bool Drags = false;

 private:
  void PaintBorder();
  HWND window_;
};

void TPanel::PaintBorder() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (Bordered) {
    RECT r;
    GetClientRect(window_, &r);
    HPEN light = CreatePen(PS_SOLID, 1, Light), dark = CreatePen(PS_SOLID, 1, Dark);
    HGDIOBJ old = SelectObject(dc, light);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, dark);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left - 1, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(light);
    DeleteObject(dark);
  }
  EndPaint(window_, &ps);
}

LRESULT TPanel::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, Brush.get());
      return 1;
    }
    case WM_PAINT:
      PaintBorder();
      return 0;
    case WM_LBUTTONDOWN:
      if (Drags) BeginWindowDrag(window_);
      return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
      if (HWND parent = GetParent(window_)) return SendMessageW(parent, message, wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace

HWND CreatePanel(HWND parent, int id, const RECT& place, COLORREF color) {
  RegisterObjectClass(kPanelClass, ControlProc<TPanel>, 0, nullptr);
  HWND panel = CreateWindowExW(
      0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.left, place.top,
      place.right - place.left, place.bottom - place.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SetPanelColor(panel, color);
  return panel;
}

void SetPanelColor(HWND panel, COLORREF color) {
  if (auto* self = ControlOf<TPanel>(panel)) self->SetColor(color);
}

COLORREF PanelColor(HWND panel) {
  auto* self = ControlOf<TPanel>(panel);
  return self ? self->Color : RGB(255, 255, 255);
}

HBRUSH PanelBrush(HWND panel) {
  auto* self = ControlOf<TPanel>(panel);
  return self ? self->Brush.get() : nullptr;
}

void SetPanelBorder(HWND panel, COLORREF light, COLORREF dark) {
  if (auto* self = ControlOf<TPanel>(panel)) {
    self->Bordered = true;
    self->Light = light;
    self->Dark = dark;
    InvalidateRect(panel, nullptr, TRUE);
  }
}

void SetPanelDrags(HWND panel, bool drags) {
  if (auto* self = ControlOf<TPanel>(panel)) self->Drags = drags;
}

void BeginWindowDrag(HWND window) {
  ReleaseCapture();
  SendMessageW(GetAncestor(window, GA_ROOT), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace qv::ui
