#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "tray/ResultPopup.h"
#include "ui/Dpi.h"
#include "ui/UiTestSeams.h"
#include "ui/WindowProbe.h"

namespace qv {
namespace {

using test::TFakeTaskbar;

// Runs an action when the message it posts is dispatched, as a job report
// or a cron job would arrive while the popup slides.
class TLaterAction {
 public:
  TLaterAction() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TLaterAction::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvTestLater";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, L"QvTestLater", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
  }
  ~TLaterAction() { DestroyWindow(window_); }
  void Post(std::function<void()> action) {
    action_ = std::move(action);
    PostMessageW(window_, WM_APP, 0, 0);
  }

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP && action_) {
      auto action = std::move(action_);
      action_ = nullptr;
      action();
      return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
  }
  static inline std::function<void()> action_;
  HWND window_ = nullptr;
};

RECT Rect(HWND window) { return test::WindowRect(window); }
std::string Text(HWND window) { return test::WindowText(window); }

BYTE Alpha(HWND window) {
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags)) return 0;
  return alpha;
}

int CountPixels(HWND window, COLORREF color) { return test::TPrintedClient(window).Count(color); }
COLORREF PixelAt(HWND window, int x, int y) { return test::TPrintedClient(window).At(x, y); }

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

TEST(ResultPopup, CreatedHiddenDisabledAsAToolWindowThatNeverActivates) {
  TResultPopup popup;
  HWND w = popup.Handle();
  EXPECT_FALSE(IsWindowVisible(w));
  LONG style = GetWindowLongW(w, GWL_STYLE);
  LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_DISABLED | WS_BORDER), WS_POPUP | WS_DISABLED | WS_BORDER);
  EXPECT_EQ(ex & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE), WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
  EXPECT_TRUE(GetClassLongW(w, GCL_STYLE) & CS_SAVEBITS);
  RECT client{};
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, ui::ScaleToDpi(195, ui::ScreenDpi()));
  EXPECT_EQ(client.bottom, ui::ScaleToDpi(35, ui::ScreenDpi()));
  EXPECT_EQ(SendMessageW(w, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
  EXPECT_EQ(Text(popup.ResultLabel().Handle()), "Es sind Fehler aufgetreten");
  EXPECT_FALSE(popup.SlideOutPending());
}

TEST(ResultPopup, SuccessIsWhiteAtOpacity180AndRestsOnTheBottomTaskbar) {
  TFakeTaskbar taskbar(TTaskbarEdge::Bottom, 40);
  TResultPopup popup;
  popup.ShowResult(false);
  HWND w = popup.Handle();
  RECT r = Rect(w);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(r.left, ScreenWidth() - (r.right - r.left) - 2);
  EXPECT_EQ(r.top, ScreenHeight() - (r.bottom - r.top) - 40);
  EXPECT_EQ(popup.TargetTop(), r.top);
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(Alpha(w), 180);
  EXPECT_EQ(popup.ResultLabel().Html(), kResultSucceeded);
  EXPECT_EQ(Text(popup.ResultLabel().Handle()), "Quorvel: Erfolgreich!");
  EXPECT_EQ(PixelAt(w, 3, 3), RGB(255, 255, 255));  // the panel
  EXPECT_EQ(PixelAt(w, 0, 0), RGB(0, 0, 0));        // its border, black since shown
  EXPECT_GT(CountPixels(popup.ResultLabel().Handle(), RGB(0, 0, 0)), 20);
  EXPECT_TRUE(popup.SlideOutPending());
}

TEST(ResultPopup, ErrorIsRedFullyOpaqueWithWhiteText) {
  TFakeTaskbar taskbar(TTaskbarEdge::Bottom, 30);
  TResultPopup popup;
  popup.ShowResult(true);
  HWND w = popup.Handle();
  EXPECT_EQ(Alpha(w), 255);
  EXPECT_EQ(popup.ResultLabel().Html(), kResultFailed);
  EXPECT_EQ(Text(popup.ResultLabel().Handle()), "Quorvel: Fehler!");
  EXPECT_EQ(PixelAt(w, 3, 3), RGB(255, 0, 0));
  HWND label = popup.ResultLabel().Handle();
  EXPECT_GT(CountPixels(label, RGB(255, 255, 255)), 20);
  EXPECT_EQ(CountPixels(label, RGB(0, 0, 0)), 0);
  EXPECT_EQ(Rect(w).top, ScreenHeight() - (Rect(w).bottom - Rect(w).top) - 30);
}

TEST(ResultPopup, TaskbarAtOtherEdgesOrNoneRestsOnTheScreensBottom) {
  for (auto [edge, height] :
       {std::pair{TTaskbarEdge::Left, 40}, std::pair{TTaskbarEdge::Top, 40},
        std::pair{TTaskbarEdge::Right, 40}, std::pair{TTaskbarEdge::Unknown, 0}}) {
    TFakeTaskbar taskbar(edge, height);
    TResultPopup popup;
    popup.ShowResult(false);
    RECT r = Rect(popup.Handle());
    EXPECT_EQ(r.bottom, ScreenHeight()) << "edge " << static_cast<int>(edge);
    EXPECT_EQ(r.right, ScreenWidth() - 2) << "edge " << static_cast<int>(edge);
  }
}

TEST(ResultPopup, NeverTakesTheForeground) {
  TFakeTaskbar taskbar(TTaskbarEdge::Bottom, 40);
  HWND other = CreateWindowExW(0, L"STATIC", L"Buchhaltung", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                               nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_EQ(GetForegroundWindow(), other);
  TResultPopup popup;
  popup.ShowResult(true);
  EXPECT_EQ(GetForegroundWindow(), other);
  EXPECT_NE(GetActiveWindow(), popup.Handle());
  SendMessageW(popup.Handle(), WM_TIMER, kSlideOutTimerId, 0);
  EXPECT_EQ(GetForegroundWindow(), other);
  DestroyWindow(other);
}

TEST(ResultPopup, SlidesOutByTheScreensHeightAndHides) {
  TFakeTaskbar taskbar(TTaskbarEdge::Bottom, 40);
  TResultPopup popup;
  popup.ShowResult(false);
  int target = popup.TargetTop();
  // The popup's own timer message, as the 5 seconds' rest ends.
  SendMessageW(popup.Handle(), WM_TIMER, kSlideOutTimerId, 0);
  EXPECT_FALSE(IsWindowVisible(popup.Handle()));
  EXPECT_FALSE(popup.SlideOutPending());
  EXPECT_EQ(Rect(popup.Handle()).top, target + ScreenHeight());
}

TEST(ResultPopup, NewResultWhileSlidingInStartsOver) {
  TFakeTaskbar taskbar(TTaskbarEdge::Bottom, 40);
  TResultPopup popup;
  TLaterAction later;
  int nested = 0;
  later.Post([&] {
    ++nested;
    popup.ShowResult(true);
  });
  popup.ShowResult(false);
  EXPECT_EQ(nested, 1);
  RECT r = Rect(popup.Handle());
  EXPECT_EQ(r.top, popup.TargetTop());  // the first slide did not go on moving it
  EXPECT_EQ(popup.ResultLabel().Html(), kResultFailed);
  EXPECT_EQ(Alpha(popup.Handle()), 255);
  EXPECT_TRUE(popup.SlideOutPending());
}

TEST(ResultPopup, NewResultWhileSlidingOutStartsOver) {
  TFakeTaskbar taskbar(TTaskbarEdge::Bottom, 40);
  TResultPopup popup;
  popup.ShowResult(true);
  TLaterAction later;
  later.Post([&] { popup.ShowResult(false); });
  SendMessageW(popup.Handle(), WM_TIMER, kSlideOutTimerId, 0);
  EXPECT_TRUE(IsWindowVisible(popup.Handle()));
  EXPECT_EQ(Rect(popup.Handle()).top, popup.TargetTop());
  EXPECT_EQ(popup.ResultLabel().Html(), kResultSucceeded);
  EXPECT_TRUE(popup.SlideOutPending());
}

}  // namespace
}  // namespace qv
