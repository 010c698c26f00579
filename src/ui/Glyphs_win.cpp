#include "ui/Glyphs.h"

#include "ui/GdiHandles.h"
#include "ui/Fonts.h"

namespace qv::ui {
namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

void DrawHelp(HDC dc, int size, bool enabled) {
  TBrush circle(CreateSolidBrush(enabled ? RGB(0, 90, 180) : RGB(165, 165, 165)));
  TSelectObject brush(dc, circle.get());
  TSelectObject pen(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, 0, 0, size + 1, size + 1);
  TFont font(CreateTahoma(size * 3 / 4, FW_BOLD));
  TSelectObject selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT r{0, 0, size, size};
  DrawTextW(dc, L"?", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawClose(HDC dc, int size, bool enabled) {
  int width = size / 6 + 1;
  TPen line(CreatePen(PS_SOLID, width, enabled ? RGB(175, 30, 30) : RGB(165, 165, 165)));
  TSelectObject pen(dc, line.get());
  int a = width;
  int b = size - width - 1;
  MoveToEx(dc, a, a, nullptr);
  LineTo(dc, b, b);
  MoveToEx(dc, a, b, nullptr);
  LineTo(dc, b, a);
}

// One picture of the glyph on the transparent colour.
TBitmap DrawGlyph(TGlyph glyph, int size, bool enabled) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  TBitmap bitmap(CreateCompatibleBitmap(screen, size, size));
  ReleaseDC(nullptr, screen);
  {
    TSelectObject selected(dc, bitmap.get());
    TBrush background(CreateSolidBrush(kTransparent));
    RECT all{0, 0, size, size};
    FillRect(dc, &all, background.get());
    if (glyph == TGlyph::Help) {
      DrawHelp(dc, size, enabled);
    } else {
      DrawClose(dc, size, enabled);
    }
  }
  DeleteDC(dc);
  return bitmap;
}

}  // namespace

TImageList SetButtonGlyph(HWND button, TGlyph glyph, int size) {
  TImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 6, 0));
  // One picture per button state: normal, hot, pressed, disabled, default, focused.
  // Each is drawn anew: adding a picture blackens its transparent colour.
  for (bool enabled : {true, true, true, false, true, true})
    ImageList_AddMasked(list.get(), DrawGlyph(glyph, size, enabled).get(), kTransparent);
  BUTTON_IMAGELIST images{};
  images.himl = list.get();
  images.margin = RECT{size / 4, 0, 0, 0};
  images.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
  return list;
}

}  // namespace qv::ui
