#include <gtest/gtest.h>
#include <windows.h>

#include "UiTestSeams.h"
#include "WindowProbe.h"
#include "WinPump.h"
#include "ui/HtmlView.h"
#include "util/WinText.h"

namespace qv::ui {
namespace {

// A plain top-level window to hold the views under test.
class TParentWindow {
 public:
  TParentWindow() {
    window_ = CreateWindowExW(0, L"STATIC", L"Eltern", WS_OVERLAPPEDWINDOW, 50, 50, 500, 300,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TParentWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

using test::WindowRect;
using test::WindowText;

int Height(HWND window) { return WindowRect(window).bottom - WindowRect(window).top; }

TEST(HtmlView, WindowTextIsWhatTheReaderSees) {
  TParentWindow parent;
  THtmlView view(parent.get(), 1, RECT{0, 0, 300, 20}, 13);
  view.SetHtml("<b>Quorvel</b> ben\xC3\xB6tigt &amp; mehr<br>Zeile");
  EXPECT_EQ(WindowText(view.Handle()), "Quorvel ben\xC3\xB6tigt & mehr\nZeile");
}

TEST(HtmlView, HeightFollowsLinesAndWrapping) {
  TParentWindow parent;
  THtmlView view(parent.get(), 1, RECT{0, 0, 300, 5}, 13);
  view.SetHtml("eins");
  view.FitHeight();
  int one = Height(view.Handle());
  EXPECT_GE(one, 13);
  view.SetHtml("eins<br>zwei<br>drei");
  view.FitHeight();
  EXPECT_EQ(Height(view.Handle()), 3 * one);
  std::string words;
  for (int i = 0; i < 40; ++i) words += "Wort ";
  view.SetHtml(words);
  view.FitHeight();
  EXPECT_GT(Height(view.Handle()), one);
}

TEST(HtmlView, ClickOnALinkOpensItAndTellsTheOwner) {
  test::TRecordingLinkOpener shell;
  TParentWindow parent;
  THtmlView view(parent.get(), 1, RECT{0, 0, 400, 40}, 13);
  std::vector<std::string> told;
  view.SetOnLinkClick([&](const std::string& href) { told.push_back(href); });
  view.SetHtml("Ordner <a href=\"file://C:\\Daten\\\">C:\\Daten\\</a> fertig");
  auto link = view.LinkRect("file://C:\\Daten\\");
  ASSERT_TRUE(link.has_value());
  SendMessageW(view.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));  // on "Ordner"
  EXPECT_TRUE(shell.opened.empty());
  SendMessageW(view.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(link->left + 2, link->top + 2));
  EXPECT_EQ(shell.opened, std::vector<std::string>{"file://C:\\Daten\\"});
  EXPECT_EQ(told, std::vector<std::string>{"file://C:\\Daten\\"});
}

TEST(HtmlView, PaintsRedTextRed) {
  TParentWindow parent;
  THtmlView view(parent.get(), 1, RECT{0, 0, 200, 30}, 20);
  view.SetBackground(RGB(255, 255, 255));
  view.SetHtml("<b><font color=\"#FF0000\">MMMM</font></b>");
  test::TPrintedClient printed(view.Handle());
  EXPECT_GT(printed.Count(RGB(255, 0, 0)), 20);
  // Nothing dark that is not red: no black text.
  EXPECT_EQ(printed.Count([](COLORREF c) { return GetRValue(c) < 128; }), 0);
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

TEST(HtmlFonts, TahomaIsThereInBothWeights) {
  THtmlFonts fonts(11);
  HDC dc = GetDC(nullptr);
  for (bool bold : {false, true}) {
    HGDIOBJ old = SelectObject(dc, fonts.Get(bold));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    EXPECT_EQ(Narrow(face), "Tahoma");
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);
    EXPECT_EQ(tm.tmWeight, bold ? FW_BOLD : FW_NORMAL);
  }
  ReleaseDC(nullptr, dc);
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

// A list item drawn by its owner: into a bitmap of its own.
class TItemCanvas {
 public:
  TItemCanvas() {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc_, &all, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  ~TItemCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC get() const { return dc_; }
  int Count(COLORREF color) const {
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (GetPixel(dc_, x, y) == color) ++n;
    return n;
  }
  static constexpr int kWidth = 120;
  static constexpr int kHeight = 60;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST(HtmlDrawText, SelectedItemsDrawEverythingInTheHighlightTextColour) {
  TItemCanvas canvas;
  THtmlFonts fonts(16);
  RECT item{0, 0, TItemCanvas::kWidth, 20};
  DrawHtmlText(canvas.get(), item, "<b><font color=\"#FF0000\">MMMM</font></b>", fonts,
               THtmlColors::ForSelection(), true);
  EXPECT_EQ(canvas.Count(RGB(255, 0, 0)), 0);
  EXPECT_GT(canvas.Count(GetSysColor(COLOR_HIGHLIGHTTEXT)), 20);
}

TEST(HtmlDrawText, HeightCountsLinesAndDrawingStaysInsideTheRectangle) {
  TItemCanvas canvas;
  THtmlFonts fonts(13);
  RECT item{0, 0, TItemCanvas::kWidth, 15};
  THtmlColors colors;
  colors.Text = RGB(255, 255, 0);
  int one = DrawHtmlText(canvas.get(), item, "eins", fonts, colors, true);
  int two = DrawHtmlText(canvas.get(), item, "eins<br>zwei", fonts, colors, true);
  EXPECT_GE(one, 13);
  EXPECT_EQ(two, 2 * one);
  // The second line lies below the item's rectangle and is clipped away.
  int yellowBelow = 0;
  for (int y = 15; y < TItemCanvas::kHeight; ++y)
    for (int x = 0; x < TItemCanvas::kWidth; ++x)
      if (GetPixel(canvas.get(), x, y) == RGB(255, 255, 0)) ++yellowBelow;
  EXPECT_EQ(yellowBelow, 0);
}

}  // namespace
}  // namespace qv::ui
