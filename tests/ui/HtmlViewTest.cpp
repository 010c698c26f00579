#include <gtest/gtest.h>
#include <windows.h>

#include "UiTestSeams.h"
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

std::string WindowText(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return Narrow(buffer);
}

int Height(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

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

TEST(HtmlView, BiggerFontNeedsMoreRoom) {
  TParentWindow parent;
  THtmlView view(parent.get(), 1, RECT{0, 0, 300, 5}, 11);
  view.SetHtml("Zielverzeichnis");
  view.FitSize();
  RECT small{};
  GetWindowRect(view.Handle(), &small);
  view.SetFontHeight(20);
  view.FitSize();
  RECT large{};
  GetWindowRect(view.Handle(), &large);
  EXPECT_GT(large.right - large.left, small.right - small.left);
  EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
}

TEST(HtmlView, ClickOnALinkOpensItAndTellsTheOwner) {
  test::TRecordingShell shell;
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
  UpdateWindow(parent.get());
  HDC dc = GetDC(view.Handle());
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 200, 30);
  HGDIOBJ old = SelectObject(mem, bitmap);
  PrintWindow(view.Handle(), mem, PW_CLIENTONLY);
  int red = 0;
  int other = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x) {
      COLORREF c = GetPixel(mem, x, y);
      if (c == RGB(255, 0, 0)) ++red;
      if (c != RGB(255, 0, 0) && c != RGB(255, 255, 255) && GetRValue(c) < 128) ++other;
    }
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(view.Handle(), dc);
  EXPECT_GT(red, 20);
  EXPECT_EQ(other, 0);
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
