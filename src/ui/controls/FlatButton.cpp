#include "ui/controls/FlatButton.h"

#include "ui/WindowObject.h"
#include "ui/controls/ControlClass.h"

namespace qv::ui {
namespace {

class TFlatButton {
 public:
  explicit TFlatButton(HWND window) : window_(window) {}
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HICON Glyph = nullptr;
  int GlyphSize = 16;
  TFlatButtonColors Colors;

 private:
  void Paint();
  void Click();
  void SetHot(bool hot);
  bool Inside(LPARAM lParam) const;

  HWND window_;
  HFONT font_ = nullptr;
  bool hot_ = false;
  bool pressed_ = false;
};

void TFlatButton::Click() {
  HWND parent = GetParent(window_);
  int id = GetDlgCtrlID(window_);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window_));
}

void TFlatButton::SetHot(bool hot) {
  if (hot_ == hot) return;
  hot_ = hot;
  if (hot) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window_, 0};
    TrackMouseEvent(&track);
  }
  InvalidateRect(window_, nullptr, FALSE);
}

bool TFlatButton::Inside(LPARAM lParam) const {
  RECT client;
  GetClientRect(window_, &client);
  POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, p) != FALSE;
}

void TFlatButton::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT r;
  GetClientRect(window_, &r);
  bool enabled = IsWindowEnabled(window_) != FALSE;
  COLORREF face = pressed_ && hot_ ? Colors.Down : hot_ && enabled ? Colors.Hot : Colors.Face;
  HBRUSH faceBrush = CreateSolidBrush(face);
  FillRect(dc, &r, faceBrush);
  DeleteObject(faceBrush);
  HBRUSH border = CreateSolidBrush(hot_ && enabled ? Colors.BorderHot : Colors.Border);
  FrameRect(dc, &r, border);
  DeleteObject(border);

  wchar_t text[256] = {};
  int length = GetWindowTextW(window_, text, 256);
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent = {0, 0};
  if (length > 0) GetTextExtentPoint32W(dc, text, length, &extent);
  int gap = Glyph && length > 0 ? GlyphSize / 3 : 0;
  int groupWidth = (Glyph ? GlyphSize : 0) + gap + extent.cx;
  int x = (r.right - groupWidth) / 2 + (pressed_ && hot_ ? 1 : 0);
  int y = (pressed_ && hot_ ? 1 : 0);
  if (Glyph) {
    DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(Glyph), 0, x,
              (r.bottom - GlyphSize) / 2 + y, GlyphSize, GlyphSize,
              DST_ICON | (enabled ? DSS_NORMAL : DSS_DISABLED));
    x += GlyphSize + gap;
  }
  if (length > 0) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    TextOutW(dc, x, (r.bottom - extent.cy) / 2 + y, text, length);
  }
  SelectObject(dc, oldFont);
  EndPaint(window_, &ps);
}

LRESULT TFlatButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_MOUSEMOVE:
      SetHot(Inside(lParam));
      return 0;
    case WM_MOUSELEAVE:
      SetHot(false);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      SetCapture(window_);
      SetHot(true);
      InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      bool click = pressed_ && Inside(lParam);
      pressed_ = false;
      ReleaseCapture();
      InvalidateRect(window_, nullptr, FALSE);
      if (click) Click();
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_SPACE) Click();
      return 0;
    case BM_CLICK:
      Click();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    case WM_ENABLE:
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
      InvalidateRect(window_, nullptr, FALSE);
      return result;
    }
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace

HWND CreateFlatButton(HWND parent, int id, const std::wstring& text, const RECT& place) {
  RegisterObjectClass(kFlatButtonClass, ControlProc<TFlatButton>, CS_DBLCLKS, nullptr);
  return CreateWindowExW(0, kFlatButtonClass, text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                         place.left, place.top, place.right - place.left, place.bottom - place.top,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void SetFlatButtonGlyph(HWND button, HICON glyph, int size) {
  if (auto* self = ControlOf<TFlatButton>(button)) {
    self->Glyph = glyph;
    self->GlyphSize = size;
    InvalidateRect(button, nullptr, FALSE);
  }
}

void SetFlatButtonColors(HWND button, const TFlatButtonColors& colors) {
  if (auto* self = ControlOf<TFlatButton>(button)) {
    self->Colors = colors;
    InvalidateRect(button, nullptr, FALSE);
  }
}

}  // namespace qv::ui
