#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "MessageBoxScript.h"
#include "UiTestSeams.h"
#include "WindowProbe.h"
#include "ui/MessageBoxLayout.h"
#include "ui/Dpi.h"
#include "ui/HtmlMessageBox.h"
#include "util/WinText.h"

namespace qv::ui {
namespace {

using test::TBoxScript;

const std::string kStartUp =
    "<b>Quorvel</b> ben\xC3\xB6tigt noch einige Angaben:<br><br>"
    "<b>Zielverzeichnis f\xC3\xBC"
    "r Sicherungen fehlt.<br>";

std::string Text(HWND window) { return test::WindowText(window); }
RECT Rect(HWND window) { return test::WindowRect(window); }
int ClientHeight(HWND window) { return test::ClientRect(window).bottom; }

HWND Child(HWND box, int id) { return GetDlgItem(box, id); }

MSG Key(HWND window, WPARAM key, UINT message = WM_KEYDOWN) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = key;
  return msg;
}

// Holds keys down in the thread's keyboard state for the object's lifetime.
class THeldKeys {
 public:
  explicit THeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(saved_);
    BYTE state[256];
    GetKeyboardState(state);
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  ~THeldKeys() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256] = {};
};

TEST(HtmlMessageBox, StartUpMessageAsTheUserSeesIt) {
  struct TSeen {
    bool visible = false, topmost = false, helpVisible = true, foreground = false;
    bool focusOnClose = false;
    std::string caption, message, close;
    int clientHeight = 0, clientWidth = 0, messageHeight = 0;
    RECT box{}, pmsgClose{};
  } seen;
  TBoxScript script({[&](HWND box) {
                       seen.visible = IsWindowVisible(box);
                       seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                       seen.helpVisible = IsWindowVisible(Child(box, kIdHelpButton));
                       seen.foreground = GetForegroundWindow() == box;
                       seen.focusOnClose = GetFocus() == Child(box, kIdCloseButton);
                       seen.caption = Text(box);
                       seen.message = Text(Child(box, kIdMessageView));
                       seen.close = Text(Child(box, kIdCloseButton));
                       RECT client{};
                       GetClientRect(box, &client);
                       seen.clientWidth = client.right;
                       seen.clientHeight = client.bottom;
                       RECT view{};
                       GetClientRect(Child(box, kIdMessageView), &view);
                       seen.messageHeight = view.bottom;
                       seen.box = Rect(box);
                     },
                     [](HWND box) { PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0); }});
  script.Run(kStartUp, "", "");
  EXPECT_FALSE(script.ClosedByScript());  // Enter closed it
  EXPECT_EQ(script.StepsRun(), 2u);
  EXPECT_TRUE(seen.visible);
  EXPECT_TRUE(seen.topmost);
  EXPECT_FALSE(seen.helpVisible);
  EXPECT_TRUE(seen.foreground);
  EXPECT_TRUE(seen.focusOnClose);
  EXPECT_EQ(seen.caption, "Quorvel");
  EXPECT_EQ(seen.message,
            "Quorvel ben\xC3\xB6tigt noch einige Angaben:\n\nZielverzeichnis f\xC3\xBCr "
            "Sicherungen fehlt.");
  EXPECT_EQ(seen.close,
            "Schlie\xC3\x9F"
            "en");
  int dpi = ScreenDpi();
  EXPECT_EQ(seen.clientWidth, ScaleToDpi(406, dpi));
  EXPECT_EQ(seen.clientHeight, seen.messageHeight + ScaleToDpi(37, dpi));
  // Three lines of text (one empty) in the view.
  EXPECT_GT(seen.messageHeight, 3 * PointsToPixels(8, dpi));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = seen.box.right - seen.box.left;
  EXPECT_LE(std::abs(seen.box.left - (work.left + work.right - width) / 2), 1);
  EXPECT_FALSE(IsWindow(FindWindowW(kBoxClassName, nullptr)));
}

TEST(HtmlMessageBox, CaptionGivenIsShown) {
  std::string caption;
  TBoxScript script({[&](HWND box) { caption = Text(box); },
                     [](HWND box) { PostMessageW(box, WM_KEYDOWN, 'X', 0); }});
  script.Run("Hallo", "", "Sicherung");
  EXPECT_EQ(caption, "Sicherung");
  EXPECT_FALSE(script.ClosedByScript());
}

TEST(HtmlMessageBox, BoxTakesTheForegroundBackAndTimersGoOn) {
  HWND other = nullptr;
  bool otherHadIt = false;
  bool backInFront = false;
  TBoxScript script({[&](HWND) {
                       other = CreateWindowExW(0, L"STATIC", L"Anderes Programm",
                                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                               nullptr, nullptr, nullptr, nullptr);
                       SetForegroundWindow(other);
                       otherHadIt = GetForegroundWindow() == other;
                     },
                     [&](HWND box) { backInFront = GetForegroundWindow() == box; },
                     [](HWND box) { PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); }});
  script.Run("Bitte warten", "", "");
  DestroyWindow(other);
  EXPECT_TRUE(otherHadIt);
  EXPECT_TRUE(backInFront);
  EXPECT_GE(script.Ticks(), 3);  // the thread's timer kept firing inside the box's loop
  EXPECT_FALSE(script.ClosedByScript());
}

TEST(HtmlMessageBox, KeysWithoutModifiersCloseTheBox) {
  for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_SPACE), WPARAM(VK_ESCAPE), WPARAM('A'),
                     WPARAM(VK_TAB), WPARAM(VK_F2)}) {
    THtmlMessageBox box;
    box.Prepare("Text", "", "");
    EXPECT_TRUE(box.PreviewKey(Key(Child(box.Handle(), kIdCloseButton), key)));
    EXPECT_TRUE(box.Closed()) << key;
  }
}

TEST(HtmlMessageBox, F1ModifiersAndHeldButtonsDoNotClose) {
  THtmlMessageBox box;
  box.Prepare("Text", "Hilfe", "");
  EXPECT_TRUE(box.PreviewKey(Key(box.Handle(), VK_F1)));  // swallowed
  for (WPARAM key : {WPARAM(VK_SHIFT), WPARAM(VK_CONTROL), WPARAM(VK_MENU), WPARAM(VK_LSHIFT)})
    EXPECT_FALSE(box.PreviewKey(Key(box.Handle(), key))) << key;
  for (int held : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON}) {
    THeldKeys keys{held};
    EXPECT_FALSE(box.PreviewKey(Key(box.Handle(), 'A'))) << held;
    EXPECT_FALSE(box.PreviewKey(Key(box.Handle(), VK_F4, WM_SYSKEYDOWN))) << held;
  }
  EXPECT_FALSE(box.Closed());
  // Alt+F4 still closes through the system's close command.
  SendMessageW(box.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(box.Closed());
}

TEST(HtmlMessageBox, KeysForOtherWindowsAreNotTheBoxs) {
  THtmlMessageBox box;
  box.Prepare("Text", "", "");
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
  EXPECT_FALSE(box.PreviewKey(Key(other, VK_RETURN)));
  EXPECT_FALSE(box.Closed());
  DestroyWindow(other);
}

TEST(HtmlMessageBox, HelpUnfoldsOnceBelowThePanel) {
  THtmlMessageBox box;
  box.Prepare("Meldung", "Erste Zeile der Hilfe<br>Zweite Zeile", "");
  HWND help = Child(box.Handle(), kIdHelpButton);
  HWND view = Child(box.Handle(), kIdHelpView);
  EXPECT_TRUE(IsWindowVisible(help) || GetWindowLongW(help, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE);
  int before = ClientHeight(box.Handle());
  SendMessageW(help, BM_CLICK, 0, 0);
  EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowEnabled(help));
  EXPECT_EQ(Text(view), "Erste Zeile der Hilfe\nZweite Zeile");
  RECT viewRect{};
  GetClientRect(view, &viewRect);
  int dpi = ScreenDpi();
  EXPECT_EQ(ClientHeight(box.Handle()), before + viewRect.bottom + ScaleToDpi(5, dpi));
  POINT viewTop{0, 0};
  MapWindowPoints(view, box.Handle(), &viewTop, 1);
  RECT closeRect = Rect(Child(box.Handle(), kIdCloseButton));
  POINT closeBottom{0, closeRect.bottom};
  ScreenToClient(box.Handle(), &closeBottom);
  EXPECT_GT(viewTop.y, closeBottom.y);  // below the buttons' panel
  int unfolded = ClientHeight(box.Handle());
  SendMessageW(box.Handle(), WM_COMMAND, MAKEWPARAM(kIdHelpButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(help));
  EXPECT_EQ(ClientHeight(box.Handle()), unfolded);
  EXPECT_FALSE(box.Closed());
}

TEST(HtmlMessageBox, TallTextIsCutAtSeventyPercentOfTheScreen) {
  std::string words;
  for (int i = 0; i < 1500; ++i) words += "Tabelle ";
  THtmlMessageBox box;
  box.Prepare(words, "", "");
  RECT r = Rect(box.Handle());
  EXPECT_LE(r.bottom - r.top, BoxHeightLimit(GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_GE(r.bottom - r.top, BoxHeightLimit(GetSystemMetrics(SM_CYSCREEN)) - 1);
  HWND view = Child(box.Handle(), kIdMessageView);
  RECT viewRect{};
  GetClientRect(view, &viewRect);
  EXPECT_LT(viewRect.bottom, THtmlView::FromHandle(view)->TextHeight());
  EXPECT_TRUE(GetWindowLongW(Child(box.Handle(), kIdCloseButton), GWL_STYLE) & WS_VISIBLE);
}

TEST(HtmlMessageBox, LinkClickOpensTheTargetAndCloses) {
  test::TRecordingLinkOpener shell;
  THtmlMessageBox box;
  box.Prepare("Protokoll: <a href=\"file://C:\\Quorvel\\QUORVEL.htm\">QUORVEL.htm</a>", "", "");
  auto* view = THtmlView::FromHandle(Child(box.Handle(), kIdMessageView));
  ASSERT_NE(view, nullptr);
  auto link = view->LinkRect("file://C:\\Quorvel\\QUORVEL.htm");
  ASSERT_TRUE(link.has_value());
  SendMessageW(view->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(link->left + 1, link->top + 1));
  EXPECT_EQ(shell.opened, std::vector<std::string>{"file://C:\\Quorvel\\QUORVEL.htm"});
  EXPECT_TRUE(box.LinkClicked());
  EXPECT_TRUE(box.Closed());
}

TEST(HtmlMessageBox, OtherWindowsOfTheProgramAreDisabledWhileItIsOpen) {
  HWND main = CreateWindowExW(0, L"STATIC", L"Quorvel", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
  ShowWindow(main, SW_SHOWNA);
  bool enabledDuring = true;
  TBoxScript script({[&](HWND) { enabledDuring = IsWindowEnabled(main); },
                     [](HWND box) { PostMessageW(box, WM_KEYDOWN, VK_SPACE, 0); }});
  script.Run("Text", "", "");
  EXPECT_FALSE(enabledDuring);
  EXPECT_TRUE(IsWindowEnabled(main));
  DestroyWindow(main);
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

TEST(HtmlMessageBox, ButtonsCarryGlyphsForEveryState) {
  THtmlMessageBox box;
  box.Prepare("Text", "Hilfe", "");
  for (int id : {kIdHelpButton, kIdCloseButton}) {
    BUTTON_IMAGELIST images{};
    ASSERT_TRUE(SendMessageW(GetDlgItem(box.Handle(), id), BCM_GETIMAGELIST, 0,
                             reinterpret_cast<LPARAM>(&images)));
    ASSERT_NE(images.himl, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images.himl), 6);
    int width = 0, height = 0;
    ImageList_GetIconSize(images.himl, &width, &height);
    EXPECT_EQ(width, ScaleToDpi(14, ScreenDpi()));
    EXPECT_EQ(height, width);
  }
}

}  // namespace
}  // namespace qv::ui

namespace qv::ui {
namespace {

TEST(HtmlMessageBox, MovedToAMonitorOfTwiceTheDpiItLaysItselfOutAnew) {
  THtmlMessageBox box;
  box.Prepare("<b>Quorvel</b> ben\xC3\xB6tigt noch einige Angaben:", "", "");
  int dpi = 2 * ScreenDpi();
  int before = test::ClientRect(box.Handle()).bottom;
  RECT suggested{100, 50, 900, 500};
  SendMessageW(box.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  RECT client = test::ClientRect(box.Handle());
  EXPECT_EQ(client.right, ScaleToDpi(406, dpi));
  EXPECT_GT(client.bottom, before);
  RECT close = test::WindowRect(GetDlgItem(box.Handle(), kIdCloseButton));
  EXPECT_EQ(close.bottom - close.top, ScaleToDpi(25, dpi));
  EXPECT_EQ(test::WindowRect(box.Handle()).left, 100);
  EXPECT_EQ(test::WindowRect(box.Handle()).top, 50);
}

}  // namespace
}  // namespace qv::ui
