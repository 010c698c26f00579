#include "ui/controls/OwnerMenu.h"

#include "ui/Fonts.h"

namespace qv::ui {
namespace {

constexpr int kBannerWidth = 22;  // at 96 DPI
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kGlyphSize = 16;
constexpr COLORREF kBannerTop = RGB(128, 128, 128);
constexpr COLORREF kBannerBottom = RGB(255, 255, 255);
constexpr COLORREF kBackLeft = RGB(255, 255, 255);
constexpr COLORREF kBackRight = RGB(218, 226, 238);
constexpr COLORREF kSelectedFill = RGB(204, 228, 247);
constexpr COLORREF kSelectedFrame = RGB(0, 120, 215);

TRIVERTEX Vertex(int x, int y, COLORREF c) {
  return {x,
          y,
          static_cast<COLOR16>(GetRValue(c) << 8),
          static_cast<COLOR16>(GetGValue(c) << 8),
          static_cast<COLOR16>(GetBValue(c) << 8),
          0};
}

void Gradient(HDC dc, const RECT& r, COLORREF from, COLORREF to, bool vertical) {
  TRIVERTEX v[2] = {Vertex(r.left, r.top, from), Vertex(r.right, r.bottom, to)};
  GRADIENT_RECT g = {0, 1};
  GradientFill(dc, v, 2, &g, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

}  // namespace

TOwnerMenu::TOwnerMenu(std::wstring bannerText)
    : bannerText_(std::move(bannerText)), menu_(CreatePopupMenu()) {
  SetDpi(96);
}

void TOwnerMenu::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  font_.reset(CreateTahoma(Scaled(12), FW_NORMAL));
  bannerFont_.reset(CreateTahoma(Scaled(14), FW_BOLD, 900));
}

void TOwnerMenu::AddItem(UINT id, const std::wstring& text, HICON glyph) {
  auto item = std::make_unique<TItem>();
  item->Id = id;
  item->Text = text;
  item->Glyph = glyph;
  AppendMenuW(menu_.get(), MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(item.get()));
  items_.push_back(std::move(item));
}

void TOwnerMenu::AddSeparator() {
  auto item = std::make_unique<TItem>();
  item->Separator = true;
  AppendMenuW(menu_.get(), MF_OWNERDRAW | MF_SEPARATOR, 0, reinterpret_cast<LPCWSTR>(item.get()));
  items_.push_back(std::move(item));
}

TOwnerMenu::TItem* TOwnerMenu::Find(UINT id) const {
  for (auto& item : items_)
    if (!item->Separator && item->Id == id) return item.get();
  return nullptr;
}

void TOwnerMenu::SetText(UINT id, const std::wstring& text) {
  if (TItem* item = Find(id)) item->Text = text;
}

void TOwnerMenu::SetGlyph(UINT id, HICON glyph) {
  if (TItem* item = Find(id)) item->Glyph = glyph;
}

std::wstring TOwnerMenu::Text(UINT id) const {
  TItem* item = Find(id);
  return item ? item->Text : std::wstring();
}

void TOwnerMenu::Enable(UINT id, bool enabled) {
  EnableMenuItem(menu_.get(), id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool TOwnerMenu::Enabled(UINT id) const {
  UINT state = GetMenuState(menu_.get(), id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

int TOwnerMenu::ItemHeight(const TItem& item) const {
  return Scaled(item.Separator ? kSeparatorHeight : kItemHeight);
}

bool TOwnerMenu::Measure(MEASUREITEMSTRUCT& measure) {
  if (measure.CtlType != ODT_MENU) return false;
  for (auto& item : items_) {
    if (reinterpret_cast<ULONG_PTR>(item.get()) != measure.itemData) continue;
    measure.itemHeight = static_cast<UINT>(ItemHeight(*item));
    SIZE extent = {0, 0};
    if (!item->Separator) {
      HDC dc = GetDC(nullptr);
      HGDIOBJ old = SelectObject(dc, font_.get());
      GetTextExtentPoint32W(dc, item->Text.c_str(), static_cast<int>(item->Text.size()), &extent);
      SelectObject(dc, old);
      ReleaseDC(nullptr, dc);
    }
    measure.itemWidth = static_cast<UINT>(Scaled(kBannerWidth + 30 + 24) + extent.cx);
    return true;
  }
  return false;
}

void TOwnerMenu::DrawBanner(HDC dc, const RECT& itemRect, int offset, int total) const {
  RECT banner = {itemRect.left, itemRect.top - offset, itemRect.left + Scaled(kBannerWidth),
                 itemRect.top - offset + total};
  int saved = SaveDC(dc);
  IntersectClipRect(dc, itemRect.left, itemRect.top, banner.right, itemRect.bottom);
  Gradient(dc, banner, kBannerTop, kBannerBottom, true);
  HGDIOBJ old = SelectObject(dc, bannerFont_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(64, 64, 64));
  SIZE extent = {0, 0};
  GetTextExtentPoint32W(dc, bannerText_.c_str(), static_cast<int>(bannerText_.size()), &extent);
  // Written upwards from the banner's foot, centred across its width.
  TextOutW(dc, banner.left + (Scaled(kBannerWidth) - extent.cy) / 2, banner.bottom - Scaled(6),
           bannerText_.c_str(), static_cast<int>(bannerText_.size()));
  SelectObject(dc, old);
  RestoreDC(dc, saved);
}

bool TOwnerMenu::Draw(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlType != ODT_MENU) return false;
  int offset = 0, total = 0;
  const TItem* found = nullptr;
  for (auto& item : items_) {
    if (reinterpret_cast<ULONG_PTR>(item.get()) == draw.itemData) found = item.get();
    if (!found) offset += ItemHeight(*item);
    total += ItemHeight(*item);
  }
  if (!found) return false;
  HDC dc = draw.hDC;
  RECT r = draw.rcItem;
  DrawBanner(dc, r, offset, total);
  RECT body = {r.left + Scaled(kBannerWidth), r.top, r.right, r.bottom};
  Gradient(dc, body, kBackLeft, kBackRight, false);
  if (found->Separator) {
    RECT line = {body.left + Scaled(4), (r.top + r.bottom) / 2, body.right - Scaled(4),
                 (r.top + r.bottom) / 2 + 1};
    FillRect(dc, &line, GetSysColorBrush(COLOR_GRAYTEXT));
    return true;
  }
  bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  if ((draw.itemState & ODS_SELECTED) && !disabled) {
    RECT sel = {body.left + 1, r.top + 1, body.right - 1, r.bottom - 1};
    HBRUSH fill = CreateSolidBrush(kSelectedFill), frame = CreateSolidBrush(kSelectedFrame);
    FillRect(dc, &sel, fill);
    FrameRect(dc, &sel, frame);
    DeleteObject(fill);
    DeleteObject(frame);
  }
  int glyph = Scaled(kGlyphSize);
  if (found->Glyph)
    DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(found->Glyph), 0,
              body.left + Scaled(6), r.top + (r.bottom - r.top - glyph) / 2, glyph, glyph,
              DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
  RECT text = {body.left + Scaled(30), r.top, body.right - Scaled(8), r.bottom};
  HGDIOBJ old = SelectObject(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? RGB(150, 150, 150) : RGB(0, 0, 0));
  DrawTextW(dc, found->Text.c_str(), static_cast<int>(found->Text.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, old);
  return true;
}

}  // namespace qv::ui
