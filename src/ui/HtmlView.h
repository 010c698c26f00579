#pragma once
// A child window that shows an HTML fragment: Tahoma, bold runs, colours,
// underlined links with the hand cursor. A click on a link opens it through
// the shell seam and then tells the owner.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/HtmlDraw.h"

namespace qv::ui {

class THtmlView {
 public:
  // fontPixelHeight is the character height already scaled to the screen.
  THtmlView(HWND parent, int id, const RECT& bounds, int fontPixelHeight);
  ~THtmlView();
  THtmlView(const THtmlView&) = delete;
  THtmlView& operator=(const THtmlView&) = delete;

  HWND Handle() const { return window_; }

  // The window text becomes the plain text a reader sees.
  void SetHtml(std::string html);
  const std::string& Html() const { return html_; }
  void SetFontHeight(int pixelHeight);
  void SetColors(const THtmlColors& colors);
  // CLR_INVALID: the view paints no background of its own.
  void SetBackground(COLORREF color);
  void SetEllipsis(bool ellipsis);
  // Blank room between the view's edges and its text.
  void SetPadding(int pixels);
  void SetOnLinkClick(std::function<void(const std::string&)> handler);

  // Layout of the text in a width for the text (0: unlimited).
  THtmlLayout Layout(int width) const;
  // Height the text needs in the current width; FitHeight sizes the view to it.
  int TextHeight() const;
  void FitHeight();
  // Sizes the view to the text's width and height (no wrapping).
  void FitSize();
  // The client rectangle of the first piece of the link, if the text has it.
  std::optional<RECT> LinkRect(const std::string& href) const;

  // The view object of a window of this class (nullptr for any other window).
  static THtmlView* FromHandle(HWND window);

  // For the window procedure.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void Paint(HDC dc);
  bool SetCursorOverLink();
  void Click(int x, int y);
  int TextWidth() const;  // the client width less the padding
  std::string LinkAtClient(int x, int y) const;
  void Resize(int width, int height);

  HWND window_ = nullptr;
  std::string html_;
  THtmlDoc doc_;
  std::unique_ptr<THtmlFonts> fonts_;
  THtmlColors colors_;
  COLORREF background_ = CLR_INVALID;
  bool ellipsis_ = false;
  int padding_ = 0;
  std::function<void(const std::string&)> onLinkClick_;
};

}  // namespace qv::ui
