#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "AdtGen.h"
#include "ShellRecorder.h"
#include "TestClock.h"
#include "app/UninstallEntry.h"
#include "MainWindowFixture.h"
#include "app/RunLock.h"
#include "app/Settings.h"
#include "ui/HtmlMessageBox.h"
#include "ui/HtmlView.h"
#include "ui/UiTestSeams.h"
#include "ui/controls/CheckListCombo.h"
#include "ui/controls/Panel.h"
#include "util/WinText.h"

namespace qv {
namespace {

using test::MakeTime;
using test::TShellRecorder;
using test::TTempDir;

// The local time of a hand-set clock, the monotonic time of the real one (the
// window's animations wait on it).
class THandSetTime final : public IClock {
 public:
  explicit THandSetTime(test::TFakeClock& wall) : wall_(wall) { SetClockForTest(this); }
  ~THandSetTime() override { SetClockForTest(nullptr); }
  THandSetTime(const THandSetTime&) = delete;
  THandSetTime& operator=(const THandSetTime&) = delete;
  TLocalTime LocalNow() override { return wall_.LocalNow(); }
  std::uint64_t MonotonicMs() override { return SystemClock().MonotonicMs(); }

 private:
  test::TFakeClock& wall_;
};

// Holds the run lock from another thread, as a running quorvel-cli would.
class TForeignRun {
 public:
  TForeignRun() {
    thread_ = std::thread([this] {
      TRunLock lock;
      held_ = lock.Acquired();
      ready_.store(true);
      while (!release_.load()) Sleep(5);
    });
    while (!ready_.load()) Sleep(1);
  }
  ~TForeignRun() {
    release_.store(true);
    thread_.join();
  }
  bool Held() const { return held_; }

 private:
  std::thread thread_;
  std::atomic<bool> ready_{false}, release_{false};
  bool held_ = false;
};

// What the start-up's message box said; it is closed as a user would.
std::string g_boxText;
void CALLBACK CloseBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(ui::kBoxClassName, nullptr);
  if (!box || !IsWindowVisible(box) || !g_boxText.empty()) return;
  g_boxText = ui::THtmlView::FromHandle(GetDlgItem(box, ui::kIdMessageView))->Html();
  SendMessageW(GetDlgItem(box, ui::kIdCloseButton), BM_CLICK, 0, 0);
}

// A close request (an update ending the program, say) while the start-up's
// message box is open; the box is closed right after.
bool g_closeSent = false;
void CALLBACK CloseProgramThenBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(ui::kBoxClassName, nullptr);
  if (!box || !IsWindowVisible(box) || g_closeSent) return;
  g_closeSent = true;
  SendMessageW(FindWindowW(kMainWindowClass, nullptr), WM_CLOSE, 0, 0);
  SendMessageW(GetDlgItem(box, ui::kIdCloseButton), BM_CLICK, 0, 0);
}

// Counts how often the database list is filled anew.
int g_listFills = 0;
WNDPROC g_listProc = nullptr;
LRESULT CALLBACK CountListFills(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LB_RESETCONTENT) ++g_listFills;
  return CallWindowProcW(g_listProc, list, message, wParam, lParam);
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// Between messages the pump looks: a run may begin and end within a pass.
class RunWindowTest : public test::TMainWindowFixture {
 protected:
  RunWindowTest() : TMainWindowFixture(test::TPumpCheck::BeforeEachMessage, 60000) {}

  void SetUp() override {
    TMainWindowFixture::SetUp();
    target_ = dir_ / "Ziel\\";
    CreateDirectoryW(Widen(target_).c_str(), nullptr);
    sound_ = dir_ / "Daten\\Gut\\";
    damaged_ = dir_ / "Daten\\Kaputt\\";
    adtgen::TTableFiles good = adtgen::Build(adtgen::ArticleTable(5, false));
    test::WriteBytes(sound_ + "ARTIKEL.ADT", good.Adt);
    adtgen::TTableFiles bad = adtgen::Build(adtgen::ArticleTable(5, false));
    adtgen::ApplyDamage(bad, adtgen::TDamage::BadSignature);
    test::WriteBytes(damaged_ + "ARTIKEL.ADT", bad.Adt);
  }
  void Settings(const std::string& target, const std::string& hours,
                const std::vector<std::string>& databases) {
    test::WriteBytes(dir_ / "UserMode.INI",
                     "[MODE]\r\nTVEZivavuvIdazadide.TVEZivavuvIdazadide=\"" + ToAnsi(target) +
                         "\"\r\nTVEZivavuvIdazadide.Cron=\"" + hours + "\"\r\n");
    std::string list;
    for (const std::string& db : databases) list += ToAnsi(db) + "\r\n";
    test::WriteBytes(dir_ / "DATABASEUTIL\\UserDefined.txt", list);
  }

  TMainWindow& Create() { return CreateAt(0); }

  std::string Log() const { return test::ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.LOG"); }
  std::string FirstLogLine() const {
    std::string log = Log();
    return log.substr(0, log.find("\r\n"));
  }
  std::vector<TShellRecorder::TIconCall> Balloons() const {
    std::vector<TShellRecorder::TIconCall> balloons;
    for (const auto& call : shell_.IconCalls)
      if (call.Data.Balloon) balloons.push_back(call);
    return balloons;
  }
  bool PopupShown() const { return IsWindowVisible(window_->ResultPopup()->Handle()) != FALSE; }

  // The window while a run is in progress.
  void ExpectRunning(TMainWindow& w) {
    EXPECT_TRUE(w.Running());
    EXPECT_FALSE(IsWindowEnabled(w.Handle()));
    EXPECT_EQ(w.TrayIcon().Hint(), "Quorvel, überprüft..");
    EXPECT_TRUE(w.TrayIcon().Cycling());
    EXPECT_EQ(w.TrayIcon().Images(), &w.RunningIcons());
    EXPECT_TRUE(GetWindowLongPtrW(w.Controls().runStatusPanel, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrW(w.Controls().greyedSnapshot, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongPtrW(w.Controls().mainPanel, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(ui::PanelColor(w.Controls().runStatusPanel), RGB(255, 225, 121));
    EXPECT_EQ(w.RunController().State(), TRunState::Running);
    // The tray menu waits for the run's end, also while the window is hidden.
    ASSERT_FALSE(IsWindowVisible(w.Handle()));
    w.Commands().UpdateTrayMenuItems();
    for (UINT id : {ID_MENU_PROTOCOL, ID_MENU_RUN_NOW, ID_MENU_SHOW, ID_MENU_EXIT, ID_MENU_VERSION})
      EXPECT_FALSE(w.Commands().TrayMenu().Enabled(id)) << id;
  }
  // The window after a run: as before it, the status label at "Fertig!".
  void ExpectEnded(TMainWindow& w, const std::string& hint) {
    EXPECT_FALSE(w.Running());
    EXPECT_TRUE(IsWindowEnabled(w.Handle()));
    EXPECT_EQ(w.TrayIcon().Hint(), hint);
    EXPECT_FALSE(w.TrayIcon().Cycling());
    EXPECT_EQ(w.TrayIcon().Images(), &w.IdleAndErrorIcons());
    EXPECT_FALSE(GetWindowLongPtrW(w.Controls().runStatusPanel, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongPtrW(w.Controls().greyedSnapshot, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrW(w.Controls().mainPanel, GWL_STYLE) & WS_VISIBLE);
    std::string status = ui::THtmlView::FromHandle(w.Controls().runStatusText)->Html();
    EXPECT_EQ(status.rfind("Gesamt: <b>", 0), 0u) << status;
    EXPECT_NE(status.find(" </b> Fertig!"), std::string::npos) << status;
    // The run lock is free again.
    TForeignRun other;
    EXPECT_TRUE(other.Held());
  }

  test::TPrivateTempFolder temp_{dir_ / "tmp"};
  TShellRecorder shell_;
  test::TRecordingSoundPlayer player_;
  std::string target_, sound_, damaged_;
};

TEST_F(RunWindowTest, TheBackupScheduleStartsARunAtAChosenHourWithErrorsShownAtItsEnd) {
  Settings(target_, "14", {sound_, damaged_});
  test::TFakeClock wall;
  wall.Set(MakeTime(2026, 12, 8, 13, 59, 58));
  THandSetTime time(wall);
  auto& w = Create();
  EXPECT_EQ(w.Schedules().Backup().Expression(), "0 0 14 * * *");
  const std::string hint = "Sicherungen erfolgen: \r\n14 Uhr";
  EXPECT_EQ(w.TrayIcon().Hint(), hint);

  wall.Advance(MakeTime(2026, 12, 8, 13, 59, 59));
  EXPECT_TRUE(Pump([&] { return GetQueueStatus(QS_POSTMESSAGE) == 0; }));
  EXPECT_FALSE(w.Running());
  wall.Advance(MakeTime(2026, 12, 8, 14, 0, 0));
  ASSERT_TRUE(Pump([&] { return w.Running(); }));
  ExpectRunning(w);

  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  ExpectEnded(w, hint);
  std::string log = Log();
  EXPECT_NE(log.find(ToAnsi(sound_)), std::string::npos);
  EXPECT_NE(log.find(ToAnsi(damaged_)), std::string::npos);
  EXPECT_NE(log.find("#FF0000"), std::string::npos);
  EXPECT_NE(test::ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.htm").find(ToAnsi(damaged_)),
            std::string::npos);

  // Errors: the sound once, the page opened, the red popup, the blink.
  ASSERT_EQ(player_.played.size(), 1u);
  EXPECT_EQ(player_.played[0].rfind("RIFF", 0), 0u);
  ASSERT_EQ(shell_.ExecuteCalls.size(), 1u);
  EXPECT_EQ(shell_.ExecuteCalls[0].Verb, "open");
  EXPECT_EQ(shell_.ExecuteCalls[0].Path, dir_.Path() + "DATABASEUTIL\\QUORVEL.htm");
  EXPECT_TRUE(PopupShown());
  EXPECT_EQ(w.ResultPopup()->ResultLabel().Html(), kResultFailed);
  EXPECT_EQ(w.RunController().State(), TRunState::ErrorsShown);
  ASSERT_TRUE(w.ErrorBlinkEnabled());
  std::vector<std::uintptr_t> shown;
  for (int i = 0; i < 4; ++i) {
    SendMessageW(w.Handle(), WM_TIMER, kErrorBlinkTimerId, 0);
    shown.push_back(shell_.IconCalls.back().Data.Icon);
  }
  auto icon = [&](int i) { return reinterpret_cast<std::uintptr_t>(w.IdleAndErrorIcons()[i]); };
  EXPECT_EQ(shown, (std::vector<std::uintptr_t>{icon(1), icon(2), icon(1), icon(2)}));
}

// The PC was off at 18 o'clock: two minutes after the program's start the run
// is made up, says so first in the protocol and counts as the last run; a
// wake-up finds the next missed hour.
TEST_F(RunWindowTest, AnHourMissedWhileThePcWasOffIsMadeUpAfterTheStartAndAfterAWakeUp) {
  Settings(target_, "8,18", {sound_});
  test::WriteBytes(dir_ / "UserMode.INI", test::ReadBytes(dir_ / "UserMode.INI") +
                                              "Sicherung.LetzterStart=\"2026-12-08 08:00:03\"\r\n");
  test::TFakeClock wall;
  wall.Set(MakeTime(2026, 12, 9, 7, 30, 0));
  THandSetTime time(wall);
  auto& w = Create();
  EXPECT_TRUE(w.MadeUpRunPending());
  wall.Advance(MakeTime(2026, 12, 9, 7, 31, 55));
  EXPECT_TRUE(Pump([&] { return GetQueueStatus(QS_POSTMESSAGE) == 0; }));
  EXPECT_FALSE(w.Running()) << "not before two minutes have passed";
  wall.Advance(MakeTime(2026, 12, 9, 7, 32, 0));
  ASSERT_TRUE(Pump([&] { return w.Running(); }));
  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  EXPECT_EQ(FirstLogLine(), "</b>09.12.2026 07:32:00<b></b>: " + ToAnsi(MakeUpLine(18)));
  EXPECT_EQ(ReadSettingString(kLastRunStartKey), "2026-12-09 07:32:00");
  EXPECT_FALSE(w.MadeUpRunPending());

  // Asleep over 8 o'clock: the wake-up makes that hour up, once.
  wall.Advance(MakeTime(2026, 12, 9, 9, 15, 0));
  SendMessageW(w.Handle(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  SendMessageW(w.Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_TRUE(w.MadeUpRunPending());
  // Switched off meanwhile, nothing new is planned after the next wake-up.
  ASSERT_TRUE(WriteSettingString(kMakeUpMissedKey, "0"));
  wall.Advance(MakeTime(2026, 12, 9, 9, 17, 0));
  ASSERT_TRUE(Pump([&] { return w.Running(); }));
  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  EXPECT_EQ(FirstLogLine(), "</b>09.12.2026 09:17:00<b></b>: " + ToAnsi(MakeUpLine(8)));
  wall.Advance(MakeTime(2026, 12, 9, 19, 0, 0));
  SendMessageW(w.Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_FALSE(w.MadeUpRunPending());
}

// A backup disk unplugged after the program started: the run that finds it
// missing makes the icon blink and says why in the error balloon.
TEST_F(RunWindowTest, ATargetGoneSinceTheStartMakesTheIconBlinkAtTheRun) {
  Settings(target_, "8,9", {sound_});
  auto& w = Create();
  ASSERT_FALSE(w.ErrorBlinkEnabled());
  size_t balloonsBefore = Balloons().size();
  ASSERT_TRUE(RemoveDirectoryW(Widen(target_).c_str()));
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  EXPECT_FALSE(w.Running());
  EXPECT_EQ(FirstLogLine(), "Sicherungsverzeichnis fehlt!");
  EXPECT_TRUE(w.ErrorBlinkEnabled());
  EXPECT_EQ(w.RunController().State(), TRunState::TargetMissing);
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), balloonsBefore + 1);
  EXPECT_EQ(balloons.back().Data.BalloonTitle, "Quorvel Fehler!");
  EXPECT_EQ(balloons.back().Data.BalloonText, "Zielverzeichnis für Sicherungen fehlt.");
  EXPECT_FALSE(PopupShown());
  EXPECT_TRUE(player_.played.empty());
}

TEST_F(RunWindowTest, ManuellRunsWithoutErrorsAndEndsWithTheWhitePopupOnly) {
  Settings(target_, "8,9", {sound_});
  auto& w = Create();
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  ExpectRunning(w);
  // Nothing starts beside a run.
  w.StartRun();
  w.ScheduledRun();
  EXPECT_EQ(w.JobPool().ActiveBackups(), 1);

  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  ExpectEnded(w, "Sicherungen erfolgen: \r\n08 Uhr - 09 Uhr");
  EXPECT_NE(Log().find(ToAnsi(sound_)), std::string::npos);
  EXPECT_EQ(Log().find("#FF0000"), std::string::npos);
  EXPECT_TRUE(test::Exists(dir_ / "DATABASEUTIL\\QUORVEL.htm"));
  EXPECT_TRUE(PopupShown());
  EXPECT_EQ(w.ResultPopup()->ResultLabel().Html(), kResultSucceeded);
  EXPECT_TRUE(player_.played.empty());
  EXPECT_TRUE(shell_.ExecuteCalls.empty());
  EXPECT_FALSE(w.ErrorBlinkEnabled());
  EXPECT_EQ(w.RunController().State(), TRunState::Idle);
}

TEST_F(RunWindowTest, AMissingTargetAtStartUpAsksShowsTheWindowAndBlinks) {
  std::string missing = dir_ / "Fehlt\\";
  Settings(missing, "", {sound_});
  // The box is modal inside the window's creation: a timer reads and closes it.
  g_boxText.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseBox);
  TMainWindowOptions options;
  options.EndsProgram = false;
  window_ = std::make_unique<TMainWindow>(options);
  KillTimer(nullptr, timer);
  auto& w = *window_;
  // The box shows the message's lines (a line break at the end makes no line).
  EXPECT_EQ(g_boxText,
            "<b>Quorvel</b> benötigt noch einige Angaben:<br><br>"
            "<b>Zielverzeichnis für Sicherungen fehlt.");
  // Shown for the user to choose, and it does not shrink away.
  EXPECT_TRUE(Visible());
  MSG pending;
  EXPECT_FALSE(PeekMessageW(&pending, w.Handle(), WM_SHRINKAWAY, WM_SHRINKAWAY, PM_NOREMOVE));
  EXPECT_TRUE(w.TargetShownMissing());
  EXPECT_EQ(WindowText(w.Controls().targetEdit), Widen(missing));
  EXPECT_TRUE(w.ErrorBlinkEnabled());
  EXPECT_EQ(w.RunController().State(), TRunState::TargetMissing);
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].Data.BalloonTitle, "Quorvel Fehler!");
  EXPECT_EQ(balloons[0].Data.BalloonText, "Zielverzeichnis für Sicherungen fehlt.");
  EXPECT_EQ(balloons[0].Data.BalloonIcon, TBalloonIcon::Error);
  EXPECT_EQ(balloons[0].Data.BalloonTimeoutMs, 10000u);
  // The empty hours text brought the default hours.
  EXPECT_EQ(w.Schedules().Backup().Expression(), "0 0 8,9,10,11,12,13,14,15,16,17,18 * * *");

  // A run start with the target still missing: the protocol line and the
  // error balloon again; no popup, no sound.
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(IsWindowEnabled(w.Handle()));
  EXPECT_EQ(FirstLogLine(), "Sicherungsverzeichnis fehlt!");
  EXPECT_EQ(w.JobPool().ActiveBackups(), 0);
  EXPECT_FALSE(PopupShown());
  EXPECT_TRUE(player_.played.empty());
  EXPECT_TRUE(shell_.ExecuteCalls.empty());
  balloons = Balloons();
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[1].Data.BalloonText, "Zielverzeichnis für Sicherungen fehlt.");
  EXPECT_EQ(balloons[1].Data.BalloonIcon, TBalloonIcon::Error);
}

TEST_F(RunWindowTest, ACloseAskedForWhileTheStartUpBoxIsOpenFollowsTheStartUp) {
  Settings(dir_ / "Fehlt\\", "", {sound_});
  g_closeSent = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseProgramThenBox);
  TMainWindowOptions options;
  options.EndsProgram = false;
  window_ = std::make_unique<TMainWindow>(options);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(g_closeSent);
  HWND handle = window_->Handle();
  ASSERT_NE(handle, nullptr) << "the window did not live through its start-up";
  // The start-up ran to its end (its balloon), then the program ended.
  ASSERT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(Balloons()[0].Data.BalloonText, "Zielverzeichnis für Sicherungen fehlt.");
  ASSERT_TRUE(Pump([&] { return !IsWindow(handle); })) << "the close was lost";
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Delete), 1);
}

TEST_F(RunWindowTest, TheFolderChoiceKeepsAnExistingFolderAndRefusesAMissingOne) {
  Settings(target_, "8", {sound_});
  auto& w = Create();
  std::string chosen = dir_ / "Neu";
  CreateDirectoryW(Widen(chosen).c_str(), nullptr);
  shell_.FolderAnswer = chosen;
  SendMessageW(w.Controls().targetBrowseButton, BM_CLICK, 0, 0);
  ASSERT_EQ(shell_.FolderDialogs.size(), 1u);
  EXPECT_EQ(shell_.FolderDialogs[0].Preset, target_);
  EXPECT_EQ(shell_.FolderDialogs[0].Title, "Zielverzeichnis");
  EXPECT_EQ(WindowText(w.Controls().targetEdit), Widen(chosen));
  EXPECT_EQ(ReadSettingString(kTargetKey), chosen);
  EXPECT_FALSE(w.TargetShownMissing());
  EXPECT_FALSE(w.ErrorBlinkEnabled());
  size_t balloonsBefore = Balloons().size();

  std::string gone = dir_ / "Weg";
  shell_.FolderAnswer = gone;
  SendMessageW(w.Controls().targetBrowseButton, BM_CLICK, 0, 0);
  EXPECT_EQ(shell_.FolderDialogs.back().Preset, chosen);
  EXPECT_EQ(WindowText(w.Controls().targetEdit), Widen(gone));
  EXPECT_EQ(ReadSettingString(kTargetKey), chosen);  // not saved
  EXPECT_TRUE(w.TargetShownMissing());
  EXPECT_TRUE(w.ErrorBlinkEnabled());
  EXPECT_EQ(w.RunController().State(), TRunState::TargetMissing);
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), balloonsBefore + 1);
  EXPECT_EQ(balloons.back().Data.BalloonTitle, "Quorvel Fehler!");
  EXPECT_EQ(balloons.back().Data.BalloonText, "Verzeichnis nicht vorhanden.");
  EXPECT_EQ(balloons.back().Data.BalloonIcon, TBalloonIcon::Error);

  // Cancelled: the shown text is taken as it stands; choosing again ends the blink.
  shell_.FolderAnswer = chosen;
  SendMessageW(w.Controls().targetBrowseButton, BM_CLICK, 0, 0);
  shell_.FolderAnswer.clear();
  SendMessageW(w.Controls().targetBrowseButton, BM_CLICK, 0, 0);
  EXPECT_EQ(WindowText(w.Controls().targetEdit), Widen(chosen));
  EXPECT_FALSE(w.ErrorBlinkEnabled());
  EXPECT_EQ(w.RunController().State(), TRunState::Idle);
}

TEST_F(RunWindowTest, ARunLockHeldByAnotherProgramStartsNothingAndSaysSo) {
  Settings(target_, "8", {sound_});
  auto& w = Create();
  TForeignRun cli;
  ASSERT_TRUE(cli.Held());
  size_t balloonsBefore = Balloons().size();
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(IsWindowEnabled(w.Handle()));
  EXPECT_EQ(w.JobPool().ActiveBackups(), 0);
  EXPECT_EQ(Log(), "<missing>");  // a manual start tells only the user
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), balloonsBefore + 1);
  EXPECT_EQ(balloons.back().Data.BalloonTitle, "Quorvel");
  EXPECT_EQ(balloons.back().Data.BalloonText,
            "Es läuft bereits eine Sicherung auf diesem Rechner. Bitte später erneut versuchen.");

  SendMessageW(w.Schedules().Backup().Handle(), WM_CRONFIRE, 0, 0);
  EXPECT_FALSE(w.Running());
  EXPECT_EQ(FirstLogLine(), ToAnsi("Geplante Sicherung übersprungen: Es läuft bereits eine "
                                   "Sicherung auf diesem Rechner."));
  EXPECT_EQ(Balloons().size(), balloonsBefore + 2);
}

TEST_F(RunWindowTest, ARunWithoutAnyExistingDatabaseEndsAtOnceWithErrors) {
  Settings(target_, "8", {dir_ / "Daten\\Fehlt\\"});
  auto& w = Create();
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(IsWindowEnabled(w.Handle()));
  EXPECT_EQ(FirstLogLine(), "Keine der Datenbanken ist vorhanden, es wurde nichts gesichert!");
  EXPECT_EQ(player_.played.size(), 1u);
  EXPECT_EQ(shell_.ExecuteCalls.size(), 1u);
  EXPECT_TRUE(PopupShown());
  EXPECT_EQ(w.ResultPopup()->ResultLabel().Html(), kResultFailed);
  EXPECT_TRUE(w.ErrorBlinkEnabled());
  EXPECT_EQ(w.TrayIcon().Hint(), "Sicherungen erfolgen: \r\n08 Uhr");
}

TEST_F(RunWindowTest, ARunThatFoundNoDatabaseReadsTheOfficeListAgainForTheNext) {
  Settings(target_, "8", {});
  DeleteFileW(Widen(dir_ / "DATABASEUTIL\\UserDefined.txt").c_str());
  test::TUninstallEntry office;
  ASSERT_TRUE(office.Write(nullptr));  // installed in the program's own folder
  test::WriteBytes(dir_ / "BASE.LST", test::BaseListBytes({ToAnsi(dir_ / "Daten\\Alt")}));
  auto& w = Create();
  ASSERT_EQ(w.DatabaseListText(), dir_ / "Daten\\Alt\\\r\n");
  // The database moved; the office application wrote its new place.
  test::WriteBytes(dir_ / "BASE.LST", test::BaseListBytes({ToAnsi(dir_ / "Daten\\Gut")}));
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  EXPECT_EQ(FirstLogLine(), "Keine der Datenbanken ist vorhanden, es wurde nichts gesichert!");
  EXPECT_EQ(w.DatabaseListText(), sound_ + "\r\n");
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  EXPECT_NE(Log().find(ToAnsi(sound_)), std::string::npos) << Log();
  EXPECT_EQ(w.ResultPopup()->ResultLabel().Html(), kResultSucceeded);
}

TEST_F(RunWindowTest, ACloseAskedForWhileTheResultPopsUpFollowsItsEnd) {
  Settings(target_, "8", {damaged_});
  auto& w = Create();
  HWND handle = w.Handle();
  g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      w.Controls().databaseList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountListFills)));
  // "Beenden" chosen (or an update closing the program) as the error sound plays:
  // the close arrives while the popup slides in.
  player_.WhilePlaying = [&] {
    g_listFills = 0;
    PostMessageW(handle, WM_CLOSE, 0, 0);
  };
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(Pump([&] { return !IsWindow(handle); })) << "the program did not end";
  EXPECT_EQ(g_listFills, 1) << "the run's end after the popup reached the window before it went";
  EXPECT_EQ(player_.played.size(), 1u);
  EXPECT_EQ(shell_.ExecuteCalls.size(), 1u) << "the protocol page was still opened";
  EXPECT_EQ(shell_.CountOf(TNotifyIconOp::Delete), 1) << "the icon went with the program";
  EXPECT_NE(Log().find(ToAnsi(damaged_)), std::string::npos);
}

TEST_F(RunWindowTest, AnUnreadableUserListEndsTheRunRedAndIsReadAgainBeforeTheNext) {
  Settings(target_, "8", {sound_});
  test::TRecordingSleeper sleeper;  // its reading is retried without waiting
  test::THeldFile held(dir_ / "DATABASEUTIL\\UserDefined.txt", GENERIC_READ, 0);
  ASSERT_TRUE(held.Held());
  auto& w = Create();
  size_t reads = sleeper.pauses.size();
  w.NetworkTick();
  w.CacheTick();
  EXPECT_EQ(sleeper.pauses.size(), reads) << "the list is read again for a run only";
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  std::string problem = "Die Datenbankliste " + ToAnsi(dir_ / "DATABASEUTIL\\UserDefined.txt") +
                        " kann nicht gelesen werden";
  EXPECT_NE(Log().find(problem), std::string::npos) << Log();
  EXPECT_EQ(Log().find(ToAnsi(sound_)), std::string::npos) << "the user's database is unknown";
  EXPECT_EQ(w.ResultPopup()->ResultLabel().Html(), kResultFailed);
  EXPECT_EQ(player_.played.size(), 1u);
  EXPECT_TRUE(w.ErrorBlinkEnabled());

  held.Release();
  SendMessageW(w.Controls().runNowButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(Pump([&] { return !w.Running(); }));
  EXPECT_EQ(FirstLogLine().find("#FF0000"), std::string::npos) << FirstLogLine();
  EXPECT_NE(Log().find(ToAnsi(sound_)), std::string::npos);
  EXPECT_EQ(w.ResultPopup()->ResultLabel().Html(), kResultSucceeded);
  EXPECT_EQ(WindowText(w.Controls().titleLabel), L" Quorvel - Datensicherung (Userdef)");
}

TEST_F(RunWindowTest, AnHourThatCannotBeStoredIsNamedAndTheWindowLivesOn) {
  Settings(target_, "8", {sound_});
  auto& w = Create();
  test::THeldFile held(dir_ / "UserMode.INI", GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_TRUE(held.Held());
  {
    test::TFakeTime time;  // the settings file's ten seconds of retries pass at once
    ui::ToggleCheckListItem(w.Controls().hoursCombo, 14);
  }
  EXPECT_EQ(w.Schedules().Backup().Expression(), "0 0 8,14 * * *")
      << "the hour counts until the end";
  auto balloons = Balloons();
  ASSERT_FALSE(balloons.empty());
  EXPECT_EQ(balloons.back().Data.BalloonTitle, "Quorvel Fehler!");
  EXPECT_EQ(balloons.back().Data.BalloonText,
            "Die Einstellung kann nicht in " + (dir_ / "UserMode.INI") +
                " gespeichert werden. Sie gilt nur bis zum Programmende.");

  held.Release();
  ui::ToggleCheckListItem(w.Controls().hoursCombo, 15);
  EXPECT_EQ(ReadSettingString(kCronKey), "8,14,15");
}

TEST_F(RunWindowTest, TheHoursListFollowsTheStoredTextAndEveryChange) {
  Settings(target_, "8,25,x,3", {sound_});
  auto& w = Create();
  EXPECT_EQ(HoursText(w.CheckedHours()), "3,8");
  EXPECT_EQ(w.Schedules().Backup().Expression(), "0 0 3,8 * * *");
  EXPECT_EQ(w.TrayIcon().Hint(), "Sicherungen erfolgen: \r\n03 Uhr - 08 Uhr");
  EXPECT_EQ(ReadSettingString(kCronKey), "8,25,x,3");  // rewritten only at a change

  ui::ToggleCheckListItem(w.Controls().hoursCombo, 14);
  EXPECT_EQ(w.Schedules().Backup().Expression(), "0 0 3,8,14 * * *");
  EXPECT_EQ(ReadSettingString(kCronKey), "3,8,14");
  EXPECT_EQ(w.TrayIcon().Hint(), "Sicherungen erfolgen: \r\n03 Uhr - 08 Uhr - 14 Uhr");

  for (int hour : {3, 8, 14}) ui::ToggleCheckListItem(w.Controls().hoursCombo, hour);
  EXPECT_EQ(w.Schedules().Backup().Expression(), "0 0  * * *");
  EXPECT_EQ(ReadSettingString(kCronKey), "");
  // At the next start the empty text brings the default hours again.
  window_.reset();
  auto& again = Create();
  EXPECT_EQ(HoursText(again.CheckedHours()), kDefaultHours);
}

}  // namespace
}  // namespace qv
