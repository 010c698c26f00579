#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ShellRecorder.h"
#include "MainWindowFixture.h"
#include "backup/BackupJob.h"
#include "util/WinText.h"

namespace qv {
namespace {

using test::TShellRecorder;
using test::TTempDir;

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// A rectangle in the coordinates of the main window's client area.
RECT PlaceIn(HWND window, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT WorkArea() {
  RECT r;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

// A backup job that runs until the test opens its gate.
class TGatedJob : public TBackupJob {
 public:
  TGatedJob(const std::string& target, std::shared_ptr<TJobChannel> channel, const std::string& dir,
            HANDLE gate)
      : TBackupJob(target, std::move(channel), dir), gate_(gate) {}
  void Run() override {
    WaitForSingleObject(gate_, 30000);
    PostFinal(false);
  }

 private:
  HANDLE gate_;
};

class MainWindowTest : public test::TMainWindowFixture {
 protected:
  MainWindowTest() : TMainWindowFixture(test::TPumpCheck::WhenIdle, 30000) {}

  void SetUp() override {
    TMainWindowFixture::SetUp();
    // The target lies in the test's folder (else the shared documents folder).
    // No hour is checked: the schedule runs on the real clock here, and a run
    // at the full hour would reach into the window's tests.
    test::WriteBytes(dir_ / "UserMode.INI",
                     "[MODE]\r\nTVEZivavuvIdazadide.Cron=\"-\"\r\n"
                     "TVEZivavuvIdazadide.TVEZivavuvIdazadide=\"" +
                         ToAnsi(dir_.Path()) + "\"\r\n");
  }
  TMainWindow& Create(int dpi = 96) { return CreateAt(dpi); }

  void ShowNow() {
    window_->ShowOnRequest();
    ASSERT_TRUE(Visible());
  }
  void Hide() {
    window_->ShrinkAway();
    ASSERT_FALSE(Visible());
  }
  LRESULT SendShowRequest(ULONG_PTR tag) {
    char empty = '\0';
    COPYDATASTRUCT data = {tag, 1, &empty};
    return SendMessageW(window_->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  }
  void ClickTrayIcon() {
    SendMessageW(window_->TrayIcon().Window(), WM_TRAYNOTIFY, 1, WM_LBUTTONUP);
  }

  TShellRecorder shell_;
};

TEST_F(MainWindowTest, CreationGivesTheVersionLineTheTrayIconAndTheWindowsShape) {
  auto& w = Create();
  HWND h = w.Handle();
  EXPECT_EQ(w.Commands().TrayMenu().Text(ID_MENU_VERSION), L"Version " QV_FILE_VERSION);
  EXPECT_FALSE(w.Commands().TrayMenu().Enabled(ID_MENU_VERSION));

  // A tool window (never a taskbar button), popup with a thin border.
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE), exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_BORDER);
  EXPECT_NE(style & WS_CAPTION, static_cast<LONG_PTR>(WS_CAPTION));
  EXPECT_TRUE(GetClassLongPtrW(h, GCL_STYLE) & CS_SAVEBITS);
  EXPECT_EQ(WindowText(h), L"Quorvel");

  // Layered at 200 of 255.
  EXPECT_TRUE(exStyle & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(h, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 200);
  EXPECT_TRUE(flags & LWA_ALPHA);

  // The region cuts the outer five pixels on the left and at the top.
  RECT frame;
  GetWindowRect(h, &frame);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(h, region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 3, height / 2));
  EXPECT_FALSE(PtInRegion(region, width / 2, 3));
  EXPECT_TRUE(PtInRegion(region, 6, height / 2));
  EXPECT_TRUE(PtInRegion(region, width / 2, 6));
  EXPECT_TRUE(PtInRegion(region, width - 2, height / 2));
  EXPECT_TRUE(PtInRegion(region, width / 2, height - 2));
  DeleteObject(region);

  // Placed at the bottom right of the work area after its first showing.
  RECT wa = WorkArea();
  EXPECT_EQ(frame.left, wa.right - (frame.right - frame.left) - 4);
  EXPECT_EQ(frame.top, wa.bottom - wa.top - (frame.bottom - frame.top) - 4);

  // The tray icon went in with the start hint and the idle icon.
  ASSERT_FALSE(shell_.IconCalls.empty());
  const auto& first = shell_.IconCalls.front();
  EXPECT_EQ(first.Op, TNotifyIconOp::Add);
  EXPECT_EQ(first.Data.Tip, "Quorvel, Warten..");
  ASSERT_EQ(w.IdleAndErrorIcons().size(), 3u);
  ASSERT_EQ(w.RunningIcons().size(), 2u);
  for (HICON icon : w.IdleAndErrorIcons()) EXPECT_NE(icon, nullptr);
  for (HICON icon : w.RunningIcons()) EXPECT_NE(icon, nullptr);
  EXPECT_EQ(first.Data.Icon, reinterpret_cast<std::uintptr_t>(w.IdleAndErrorIcons()[0]));

  // The result popup waits, hidden, for the end of a run.
  ASSERT_NE(w.ResultPopup(), nullptr);
  wchar_t popupClass[64] = {};
  GetClassNameW(w.ResultPopup()->Handle(), popupClass, 64);
  EXPECT_STREQ(popupClass, kResultPopupClassName);
  EXPECT_FALSE(IsWindowVisible(w.ResultPopup()->Handle()));
}

TEST_F(MainWindowTest, ComponentsStandAtTheirPlacesScaledForTheDpi) {
  for (int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    auto& w = Create(dpi);
    auto s = [dpi](int v) { return (v * dpi + 48) / 96; };
    HWND h = w.Handle();
    RECT client;
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, s(593));
    EXPECT_EQ(client.bottom, s(159));
    struct TExpected {
      HWND Control;
      int Left, Top, Width, Height;
    };
    const TExpected expected[] = {
        {w.Controls().programIconView, 13, 9, 32, 32},
        {w.Controls().titleLabel, 45, 8, 371, 29},
        {w.Controls().databaseList, 13, 41, 453, 85},
        {w.Controls().runNowButton, 476, 102, 109, 50},
        {w.Controls().protocolButton, 476, 44, 109, 50},
        {w.Controls().runStatusPanel, 15, 55, 563, 46},
    };
    for (const TExpected& e : expected) {
      RECT r = PlaceIn(h, e.Control);
      EXPECT_EQ(r.left, s(e.Left)) << e.Control;
      EXPECT_EQ(r.top, s(e.Top)) << e.Control;
      EXPECT_EQ(r.right - r.left, s(e.Width)) << e.Control;
      EXPECT_EQ(r.bottom - r.top, s(e.Height)) << e.Control;
    }
    // The target field and its ellipsis button share 313 x 22 at 153, 133.
    RECT edit = PlaceIn(h, w.Controls().targetEdit),
         button = PlaceIn(h, w.Controls().targetBrowseButton);
    EXPECT_EQ(edit.left, s(153));
    EXPECT_EQ(edit.top, s(133));
    EXPECT_EQ(button.right, s(153) + s(313));
    EXPECT_EQ(edit.right, button.left);
    RECT hours = PlaceIn(h, w.Controls().hoursCombo);
    EXPECT_EQ(hours.left, s(13));
    EXPECT_EQ(hours.top, s(133));
    EXPECT_EQ(hours.right - hours.left, s(137));
    // The shrink button keeps 3 pixels from the right edge, 7 from the top.
    RECT speed = PlaceIn(h, w.Controls().shrinkButton);
    EXPECT_EQ(speed.right, client.right - s(3));
    EXPECT_EQ(speed.top, s(7));
    EXPECT_EQ(speed.right - speed.left, s(25));

    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w.Controls().runNowButton, WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -s(12));
    EXPECT_FALSE(IsWindowVisible(w.Controls().runStatusPanel));
    EXPECT_FALSE(IsWindowVisible(w.Controls().greyedSnapshot));
    EXPECT_EQ(SendMessageW(w.Controls().hoursCombo, CB_GETCOUNT, 0, 0), 24);
    window_.reset();
  }
}

TEST_F(MainWindowTest, MovedToAMonitorOfAnotherDpiTheWindowScalesAgain) {
  test::WriteBytes(dir_ / "DATABASEUTIL\\UserDefined.txt", "C:\\Kontorix\\Daten\\\r\n");
  auto& w = Create(96);
  LRESULT itemAt96 = SendMessageW(w.Controls().databaseList, LB_GETITEMHEIGHT, 0, 0);
  RECT suggested;
  GetWindowRect(w.Handle(), &suggested);
  suggested.right = suggested.left + 595 * 3 / 2;
  suggested.bottom = suggested.top + 161 * 3 / 2;
  SendMessageW(w.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT client;
  GetClientRect(w.Handle(), &client);
  EXPECT_EQ(client.right, 890);
  EXPECT_EQ(client.bottom, 239);
  RECT list = PlaceIn(w.Handle(), w.Controls().databaseList);
  EXPECT_EQ(list.left, 20);
  EXPECT_EQ(list.right - list.left, 680);
  EXPECT_GT(SendMessageW(w.Controls().databaseList, LB_GETITEMHEIGHT, 0, 0), itemAt96);
  EXPECT_EQ(w.DatabaseListText(), "C:\\Kontorix\\Daten\\\r\n");
  // The region follows the new size.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(w.Handle(), region), ERROR);
  EXPECT_TRUE(PtInRegion(region, client.right - 2, client.bottom / 2));
  EXPECT_FALSE(PtInRegion(region, 5, client.bottom / 2));
  DeleteObject(region);
}

TEST_F(MainWindowTest, TheUsersOwnListFillsTheListBoxAndMarksTheCaption) {
  std::string longPath =
      "\\\\server\\freigabe\\Kontorix\\Mandanten\\Musterfirma GmbH und Co. KG\\"
      "Buchhaltung und Warenwirtschaft\\Datenbanken des Jahres 2026\\";
  test::WriteBytes(dir_ / "DATABASEUTIL\\UserDefined.txt",
                   "C:\\Kontorix\\Daten\\\r\n" + longPath + "\r\nD:\\\r\n");
  auto& w = Create();
  EXPECT_EQ(w.DatabaseListText(), "C:\\Kontorix\\Daten\\\r\n" + longPath + "\r\nD:\\\r\n");
  EXPECT_EQ(WindowText(w.Controls().titleLabel), L" Quorvel - Datensicherung (Userdef)");
  // The longer title is shown whole.
  HDC dc = GetDC(w.Controls().titleLabel);
  HGDIOBJ old = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageW(w.Controls().titleLabel, WM_GETFONT, 0, 0)));
  SIZE title = {0, 0};
  std::wstring caption = WindowText(w.Controls().titleLabel);
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &title);
  SelectObject(dc, old);
  ReleaseDC(w.Controls().titleLabel, dc);
  RECT label;
  GetClientRect(w.Controls().titleLabel, &label);
  EXPECT_GE(label.right, title.cx);
  // The long path wraps: its item is taller than a short one.
  LRESULT shortHeight = SendMessageW(w.Controls().databaseList, LB_GETITEMHEIGHT, 0, 0);
  LRESULT longHeight = SendMessageW(w.Controls().databaseList, LB_GETITEMHEIGHT, 1, 0);
  EXPECT_GT(shortHeight, 0);
  EXPECT_GT(longHeight, shortHeight);

  // After a run the user's list stands again, unchanged.
  w.SetDatabaseList({"X:\\"});
  w.RefreshDatabaseList();
  EXPECT_EQ(w.DatabaseListText(), "C:\\Kontorix\\Daten\\\r\n" + longPath + "\r\nD:\\\r\n");

  // A double-click explores the chosen directory.
  SendMessageW(w.Controls().databaseList, LB_SETCURSEL, 1, 0);
  RECT item;
  SendMessageW(w.Controls().databaseList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  SendMessageW(w.Controls().databaseList, WM_LBUTTONDBLCLK, MK_LBUTTON,
               MAKELPARAM(item.left + 10, item.top + 2));
  SendMessageW(w.Controls().databaseList, WM_LBUTTONUP, 0,
               MAKELPARAM(item.left + 10, item.top + 2));
  ASSERT_EQ(shell_.ExecuteCalls.size(), 1u);
  EXPECT_EQ(shell_.ExecuteCalls[0].Verb, "explore");
  EXPECT_EQ(shell_.ExecuteCalls[0].Path, longPath);
}

TEST_F(MainWindowTest, WithoutAUserListTheCaptionStaysPlain) {
  auto& w = Create();
  EXPECT_EQ(WindowText(w.Controls().titleLabel), L" Quorvel - Datensicherung");
  EXPECT_TRUE(w.UserDatabaseList().empty());
}

TEST_F(MainWindowTest, TheMenuHasItsOrderAndEnablesItsItemsOnlyWhileHiddenAndIdle) {
  auto& w = Create();
  HMENU menu = w.Commands().TrayMenu().Handle();
  ASSERT_EQ(GetMenuItemCount(menu), 6);
  const UINT order[] = {ID_MENU_PROTOCOL, ID_MENU_RUN_NOW, ID_MENU_SHOW, 0,
                        ID_MENU_EXIT,     ID_MENU_VERSION};
  for (int i = 0; i < 6; ++i) {
    if (order[i] != 0) {
      EXPECT_EQ(GetMenuItemID(menu, i), order[i]) << i;
    }
  }
  EXPECT_TRUE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(w.Commands().TrayMenu().Text(ID_MENU_PROTOCOL), L"Protokoll und Hilfe");
  EXPECT_EQ(w.Commands().TrayMenu().Text(ID_MENU_RUN_NOW), L"Ausführen");
  EXPECT_EQ(w.Commands().TrayMenu().Text(ID_MENU_SHOW), L"Fenster zeigen");
  EXPECT_EQ(w.Commands().TrayMenu().Text(ID_MENU_EXIT), L"Beenden");

  auto expectAll = [&](bool enabled) {
    for (UINT id : {ID_MENU_PROTOCOL, ID_MENU_RUN_NOW, ID_MENU_SHOW, ID_MENU_EXIT})
      EXPECT_EQ(w.Commands().TrayMenu().Enabled(id), enabled) << id;
    EXPECT_FALSE(w.Commands().TrayMenu().Enabled(ID_MENU_VERSION));
  };
  w.Commands().UpdateTrayMenuItems();  // hidden, idle (for a run: RunWindowTest)
  expectAll(true);
  ShowNow();  // visible, idle
  w.Commands().UpdateTrayMenuItems();
  expectAll(false);
}

TEST_F(MainWindowTest, ATrayClickShowsTheWindowOnlyWhenTheMenuLeftShowEnabled) {
  auto& w = Create();
  w.Commands().UpdateTrayMenuItems();  // hidden and idle: enabled
  ClickTrayIcon();
  EXPECT_TRUE(Visible());

  w.Commands().UpdateTrayMenuItems();  // visible: disabled, and stays so until the next opening
  Hide();
  ClickTrayIcon();
  EXPECT_FALSE(Visible());

  w.Commands().UpdateTrayMenuItems();
  ClickTrayIcon();
  EXPECT_TRUE(Visible());
}

TEST_F(MainWindowTest, AShowRequestOfASecondStartFollowsTheSameRule) {
  auto& w = Create();
  EXPECT_EQ(SendShowRequest(1234), 1);  // other tags are answered and ignored
  EXPECT_FALSE(Visible());
  EXPECT_EQ(SendShowRequest(kShowRequestTag), 1);
  EXPECT_TRUE(Visible());

  w.Commands().UpdateTrayMenuItems();
  Hide();
  EXPECT_EQ(SendShowRequest(kShowRequestTag), 1);
  EXPECT_FALSE(Visible());
}

TEST_F(MainWindowTest, AShowRequestDuringTheFirstShowingIsServedAfterTheShrink) {
  TMainWindowOptions options;
  options.Dpi = 96;
  options.EndsProgram = false;
  window_ = std::make_unique<TMainWindow>(options);
  ASSERT_TRUE(Visible());  // shown once, its shrink still to come
  EXPECT_EQ(SendShowRequest(kShowRequestTag), 1);
  ASSERT_TRUE(Pump([] { return true; }));  // the shrink runs
  EXPECT_TRUE(Visible());
  RECT frame, wa = WorkArea();
  GetWindowRect(window_->Handle(), &frame);
  EXPECT_EQ(frame.left, wa.right - (frame.right - frame.left) - 4);
}

TEST_F(MainWindowTest, EscapeShrinksTheWindowAwayFromAnyControl) {
  auto& w = Create();
  for (HWND control :
       {w.Handle(), w.Controls().databaseList, w.Controls().targetEdit, w.Controls().hoursCombo,
        w.Controls().runNowButton, w.Controls().protocolButton}) {
    ShowNow();
    SetFocus(control);
    PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Pump([&] { return !Visible(); })) << control;
  }
  // The window keeps its place for the next showing.
  RECT frame;
  GetWindowRect(w.Handle(), &frame);
  EXPECT_GT(frame.left, 0);
}

TEST_F(MainWindowTest, TheTitleAndTheIconLetPressesThroughToTheDraggingPanel) {
  auto& w = Create();
  ShowNow();
  for (HWND control : {w.Controls().titleLabel, w.Controls().programIconView}) {
    RECT r;
    GetWindowRect(control, &r);
    LPARAM centre = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(SendMessageW(control, WM_NCHITTEST, 0, centre), HTTRANSPARENT) << control;
  }
}

TEST_F(MainWindowTest, TheShrinkButtonHidesTheWindow) {
  auto& w = Create();
  ShowNow();
  SendMessageW(w.Controls().shrinkButton, BM_CLICK, 0, 0);
  EXPECT_FALSE(Visible());
}

TEST_F(MainWindowTest, ProtokollRewritesThePageAndOpensIt) {
  auto& w = Create();
  SendMessageW(w.Controls().protocolButton, BM_CLICK, 0, 0);
  ASSERT_EQ(shell_.ExecuteCalls.size(), 1u);
  EXPECT_EQ(shell_.ExecuteCalls[0].Verb, "open");
  EXPECT_EQ(shell_.ExecuteCalls[0].Path, dir_.Path() + "DATABASEUTIL\\QUORVEL.htm");
  EXPECT_NE(test::ReadBytes(shell_.ExecuteCalls[0].Path).find("Log Quorvel"), std::string::npos);
  // The menu's "Protokoll und Hilfe" does the same.
  SendMessageW(w.Handle(), WM_COMMAND, ID_MENU_PROTOCOL, 0);
  EXPECT_EQ(shell_.ExecuteCalls.size(), 2u);
}

TEST_F(MainWindowTest, CloseIsRefusedWhileBackupsRunAndTheRefusalChangesNothing) {
  auto& w = Create();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  w.JobPool().MakeBackupJob = [&](const std::string& target, const std::string& dir,
                                  const std::string&) -> TJobPtr {
    return std::make_unique<TGatedJob>(target, w.JobPool().Channel(), dir, gate);
  };
  w.JobPool().StartBackups(dir_.Path(), dir_.Path() + "\r\n");
  ASSERT_EQ(w.JobPool().ActiveBackups(), 1);

  SendMessageW(w.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(w.Handle()));
  EXPECT_FALSE(w.JobPool().Closing);
  for (TCronJob* job :
       {&w.Schedules().Backup(), &w.Schedules().CacheCopy(), &w.Schedules().KeepAlive()})
    EXPECT_TRUE(job->Enabled());

  SetEvent(gate);
  ASSERT_TRUE(Pump([&] { return w.JobPool().ActiveBackups() == 0; }));
  HWND handle = w.Handle();
  SendMessageW(handle, WM_COMMAND, ID_MENU_EXIT, 0);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(w.Handle(), nullptr);
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Delete), 1);
  CloseHandle(gate);
}

TEST_F(MainWindowTest, SessionEndIsAgreedAtOnceAndTheIconGoes) {
  auto& w = Create();
  EXPECT_EQ(SendMessageW(w.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(w.SessionEnding());
  EXPECT_TRUE(IsWindow(w.Handle()));  // the close query was not run
  SendMessageW(w.Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Delete), 1);
}

TEST_F(MainWindowTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
  auto& w = Create();
  int adds = shell_.CountOf(TNotifyIconOp::Add);
  SendMessageW(w.TrayIcon().Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Add), adds + 1);
  const auto& last = shell_.IconCalls.back();
  EXPECT_EQ(last.Data.Tip, w.TrayIcon().Hint());
  EXPECT_EQ(last.Data.Icon, reinterpret_cast<std::uintptr_t>(w.IdleAndErrorIcons()[0]));
}

TEST_F(MainWindowTest, TheIconComesWhenTheTaskbarArrivesAfterTheProgram) {
  shell_.NoTaskbarYet = true;  // started at logon before the shell was ready
  auto& w = Create();
  ASSERT_GE(shell_.CountOf(TNotifyIconOp::Add), 1);
  EXPECT_FALSE(w.TrayIcon().Shown());
  shell_.NoTaskbarYet = false;
  int adds = shell_.CountOf(TNotifyIconOp::Add);
  SendMessageW(w.TrayIcon().Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Add), adds + 1);
  EXPECT_TRUE(w.TrayIcon().Shown());
  EXPECT_EQ(shell_.IconCalls.back().Data.Tip, w.TrayIcon().Hint());
  // An icon taken away on purpose stays away.
  w.TrayIcon().Remove();
  SendMessageW(w.TrayIcon().Window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Add), adds + 1);
}

TEST_F(MainWindowTest, TrayBalloonsAndIconCycling) {
  auto& w = Create();
  w.TrayIcon().ShowBalloon("Quorvel Fehler!", "Verzeichnis nicht vorhanden.", TBalloonIcon::Error,
                           10000);
  const auto& balloon = shell_.IconCalls.back();
  EXPECT_EQ(balloon.Op, TNotifyIconOp::Modify);
  EXPECT_TRUE(balloon.Data.Balloon);
  EXPECT_EQ(balloon.Data.BalloonTitle, "Quorvel Fehler!");
  EXPECT_EQ(balloon.Data.BalloonText, "Verzeichnis nicht vorhanden.");
  EXPECT_EQ(balloon.Data.BalloonIcon, TBalloonIcon::Error);
  EXPECT_EQ(balloon.Data.BalloonTimeoutMs, 10000u);

  // Cycling steps through the work images and around again.
  w.TrayIcon().SetImages(&w.RunningIcons());
  w.TrayIcon().SetIconIndex(0);
  w.TrayIcon().SetCycleInterval(20);
  size_t before = shell_.IconCalls.size();
  w.TrayIcon().SetCycling(true);
  ASSERT_TRUE(Pump([&] { return shell_.IconCalls.size() >= before + 2; }));
  w.TrayIcon().SetCycling(false);
  auto work = [&](size_t i) { return reinterpret_cast<std::uintptr_t>(w.RunningIcons()[i]); };
  EXPECT_EQ(shell_.IconCalls[before].Data.Icon, work(1));
  EXPECT_EQ(shell_.IconCalls[before + 1].Data.Icon, work(0));
}

TEST_F(MainWindowTest, PlacedNearTheTaskbarAtEachEdge) {
  auto& w = Create();
  ShowNow();
  RECT wa = WorkArea(), frame;
  GetWindowRect(w.Handle(), &frame);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  struct TCase {
    TTaskbarPosition Taskbar;
    int Left, Top;
  };
  const TCase cases[] = {
      {{TTaskbarEdge::Left, 0, 0, 60, 1024}, wa.right - width - 10, wa.bottom - height - 10},
      {{TTaskbarEdge::Top, 0, 0, 1280, 40}, wa.right - width - 10, wa.bottom - height - 10},
      {{TTaskbarEdge::Right, 1200, 0, 1280, 1024},
       wa.right - 80 - width - 10,
       wa.bottom - height - 10},
      {{TTaskbarEdge::Bottom, 0, 900, 1280, 940}, wa.right - width - 10, 900 - height - 10},
  };
  shell_.HasTaskbar = true;
  for (const TCase& c : cases) {
    shell_.Taskbar = c.Taskbar;
    w.PlaceNearTaskbar();
    GetWindowRect(w.Handle(), &frame);
    EXPECT_EQ(frame.left, c.Left) << "edge " << static_cast<int>(c.Taskbar.Edge);
    EXPECT_EQ(frame.top, c.Top) << "edge " << static_cast<int>(c.Taskbar.Edge);
  }
  // No answer from the shell: the window stays.
  shell_.HasTaskbar = false;
  SetWindowPos(w.Handle(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  w.ShowOnRequest();  // visible: only placed near the taskbar
  GetWindowRect(w.Handle(), &frame);
  EXPECT_EQ(frame.left, 100);
  EXPECT_EQ(frame.top, 100);
}

}  // namespace
}  // namespace qv
