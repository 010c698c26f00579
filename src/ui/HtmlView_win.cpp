#include "ui/HtmlView.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <memory>

#include "ui/UiSeams.h"
#include "ui/WindowObject.h"
#include "util/WinText.h"

namespace qv::ui {
namespace {

constexpr wchar_t kClassName[] = L"QvHtmlView";

}  // namespace

THtmlView::THtmlView(HWND parent, int id, const RECT& bounds, int fontPixelHeight)
    : fonts_(std::make_unique<THtmlFonts>(fontPixelHeight)) {
  RegisterObjectClass(kClassName, &ObjectWindowProc<THtmlView, &THtmlView::window_>,
                      CS_HREDRAW | CS_VREDRAW, nullptr);
  window_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                            bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), this);
}

THtmlView::~THtmlView() { DestroyObjectWindow(window_); }

void THtmlView::SetHtml(std::string html) {
  html_ = std::move(html);
  doc_ = ParseHtml(html_);
  SetWindowTextW(window_, Widen(HtmlPlainText(doc_)).c_str());
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlView::SetFontHeight(int pixelHeight) {
  fonts_ = std::make_unique<THtmlFonts>(pixelHeight);
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlView::SetColors(const THtmlColors& colors) {
  colors_ = colors;
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlView::SetBackground(COLORREF color) {
  background_ = color;
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlView::SetEllipsis(bool ellipsis) {
  ellipsis_ = ellipsis;
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlView::SetPadding(int pixels) {
  padding_ = pixels;
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlView::SetOnLinkClick(std::function<void(const std::string&)> handler) {
  onLinkClick_ = std::move(handler);
}

THtmlLayout THtmlView::Layout(int width) const {
  TWindowDC dc(window_);
  TGdiMeasurer measurer(dc.get(), *fonts_);
  TLayoutOptions options;
  options.MaxWidth = width;
  options.Ellipsis = ellipsis_;
  return LayoutHtml(doc_, measurer, options);
}

int THtmlView::TextWidth() const {
  RECT r{};
  GetClientRect(window_, &r);
  return std::max(1, static_cast<int>(r.right - r.left) - 2 * padding_);
}

int THtmlView::TextHeight() const {
  int height = Layout(TextWidth()).Height;
  return height > 0 ? height + 2 * padding_ : 0;
}

void THtmlView::Resize(int width, int height) {
  SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void THtmlView::FitHeight() { Resize(TextWidth() + 2 * padding_, TextHeight()); }

void THtmlView::FitSize() {
  THtmlLayout layout = Layout(0);
  Resize(layout.Width + 2 * padding_, layout.Height + 2 * padding_);
}

std::optional<RECT> THtmlView::LinkRect(const std::string& href) const {
  THtmlLayout layout = Layout(TextWidth());
  for (const auto& run : layout.Runs)
    if (run.Run.Href == href && run.Run.Text != " ")
      return RECT{padding_ + run.X, padding_ + run.Y, padding_ + run.X + run.Width,
                  padding_ + run.Y + layout.LineHeight};
  return std::nullopt;
}

THtmlView* THtmlView::FromHandle(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (wcscmp(name, kClassName) != 0) return nullptr;
  return reinterpret_cast<THtmlView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

std::string THtmlView::LinkAtClient(int x, int y) const {
  return Layout(TextWidth()).LinkAt(x - padding_, y - padding_);
}

LRESULT THtmlView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (HandlePaint(window_, msg, wParam, [this](HDC dc) { Paint(dc); })) return 0;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // painted with the text, without flicker
    case WM_SETCURSOR:
      if (SetCursorOverLink()) return TRUE;
      break;
    case WM_LBUTTONUP:
      Click(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
  }
  return DefWindowProcW(window_, msg, wParam, lParam);
}

void THtmlView::Paint(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  if (background_ != CLR_INVALID) {
    TBrush brush(CreateSolidBrush(background_));
    FillRect(dc, &client, brush.get());
  }
  TGdiMeasurer measurer(dc, *fonts_);
  TLayoutOptions options;
  options.MaxWidth = TextWidth();
  options.Ellipsis = ellipsis_;
  THtmlLayout layout = LayoutHtml(doc_, measurer, options);
  DrawHtmlLayout(dc, layout, *fonts_, padding_, padding_, colors_, options.MaxWidth);
}

bool THtmlView::SetCursorOverLink() {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(window_, &p);
  if (LinkAtClient(p.x, p.y).empty()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

void THtmlView::Click(int x, int y) {
  std::string href = LinkAtClient(x, y);
  if (href.empty()) return;
  LinkOpener().Open(href);
  if (onLinkClick_) onLinkClick_(href);
}

}  // namespace qv::ui
