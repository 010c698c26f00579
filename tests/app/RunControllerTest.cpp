#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>

#include "TestClock.h"
#include "app/ProtocolText.h"
#include "app/RunController.h"

namespace qv {
namespace {

using test::MakeTime;

// The machine and the window as a log of what they were asked to do.
struct TRecorder final : IRunSystem, IRunView {
  std::vector<std::string> Log;
  std::set<std::string> Folders;
  std::string Target = "C:\\Sicherung";
  TStringList Dbs = {"C:\\Kontorix\\A\\", "C:\\Kontorix\\B\\"};
  std::string ListProblem;
  bool LockFree = true;
  bool LockHeld = false;
  int Awake = 0;
  int Active = 0;
  bool JobsStart = true;
  bool ProtocolFails = false;
  bool StartFails = false;
  TStringList Protocol = {"Ende A<hr>"};
  std::function<void()> WhilePopupSlides;  // what happens while the result pops up

  bool Has(const std::string& entry) const {
    return std::find(Log.begin(), Log.end(), entry) != Log.end();
  }
  std::vector<std::string> TakeLog() { return std::exchange(Log, {}); }

  bool FolderExists(const std::string& path) override { return Folders.count(path) > 0; }
  void ConnectNetworkPath(const std::string& path) override { Log.push_back("connect " + path); }
  bool AcquireRunLock() override {
    if (LockFree) LockHeld = true;
    return LockFree;
  }
  void ReleaseRunLock() override { LockHeld = false; }
  void KeepAwake(bool on) override { Awake += on ? 1 : -1; }
  void WriteProtocol(const TStringList& run, const std::optional<std::string>& first) override {
    if (ProtocolFails) throw std::runtime_error("Datei QUORVEL.LOG kann nicht erstellt werden");
    Log.push_back("protocol " + (first ? "line " + *first : JoinLines(run)));
  }
  void StartBackups(const std::string& target, const std::string& databases) override {
    if (StartFails) throw std::runtime_error("Der Auftrag kann nicht angelegt werden");
    Log.push_back("start " + target + " | " + databases);
    if (JobsStart) Active = static_cast<int>(SplitLines(databases).size());
  }
  void StartCacheCopies(const std::string& databases) override {
    Log.push_back("cache " + databases);
  }
  void StartNetworkWork(const std::string& databases) override {
    Log.push_back("net " + databases);
  }
  int ActiveBackups() override { return Active; }
  TStringList RunProtocol() override { return Protocol; }
  std::string LongTimeText(const TLocalTime& t) override {
    return std::to_string(t.Hour) + "h" + std::to_string(t.Minute) + "m" + std::to_string(t.Second);
  }

  std::string TargetText() override { return Target; }
  TStringList Databases() override { return Dbs; }
  std::string DatabaseListProblem() override { return ListProblem; }
  void ShowTargetState(bool exists) override { Log.push_back(exists ? "white" : "red"); }
  void RunLocked(TRunTrigger t) override {
    Log.push_back(t == TRunTrigger::Schedule ? "locked scheduled" : "locked manual");
  }
  void TargetMissing(const std::string& target) override { Log.push_back("missing " + target); }
  void DatabaseSkipped(const std::string& folder) override { Log.push_back("skipped " + folder); }
  void RunStarted(const std::string& target) override {
    Log.push_back("greyed " + target + (Awake == 1 && LockHeld ? " awake locked" : ""));
  }
  void NothingToBackUp() override { Log.push_back("nothing"); }
  void SetStatus(const std::string& html) override { Log.push_back("status " + html); }
  void RestoreAfterRun() override { Log.push_back("restored"); }
  void RefreshDatabases() override { Log.push_back("list read"); }
  void RunFinished() override {
    Log.push_back(std::string("finished") + (Awake == 0 && !LockHeld ? " released" : ""));
  }
  void SetBlink(bool on) override { Log.push_back(on ? "blink" : "no blink"); }
  void PlayErrorSound() override { Log.push_back("sound"); }
  void OpenProtocol() override { Log.push_back("open"); }
  void ShowResult(const TRunResult& r) override {
    Log.push_back(std::string(r.Failed ? "popup red " : "popup white ") +
                  std::to_string(r.FinishedJobs));
    if (WhilePopupSlides) std::exchange(WhilePopupSlides, nullptr)();
  }
  void AfterResult() override { Log.push_back("after"); }
  void ShowMessage(const std::string& html) override { Log.push_back("box " + html); }
  void ShowMainWindow() override { Log.push_back("window"); }
  void ShowBalloon(const std::string& title, const std::string& text, TBalloonIcon icon) override {
    Log.push_back("balloon " + title + " | " + text +
                  (icon == TBalloonIcon::Error ? " (error)" : " (info)"));
  }
  std::string TrayHint() override { return "Sicherungen erfolgen: \r\n08 Uhr"; }
  std::string EngineText() override { return Engine; }
  std::string Engine;
};

class RunControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    clock_.Set(MakeTime(2026, 12, 8, 14, 0, 0));
    SetClockForTest(&clock_);
    io_.Folders = {"C:\\Sicherung\\", "C:\\Kontorix\\A\\", "C:\\Kontorix\\B\\"};
  }
  void TearDown() override { SetClockForTest(nullptr); }

  void Report(const std::string& text, bool failed, bool final) {
    TJobReport item;
    item.Text = text;
    item.Failed = failed;
    item.Final = final;
    if (final) --io_.Active;
    run_.JobReported(&item, io_.Active);
  }

  test::TFakeClock clock_;
  TRecorder io_;
  TRunController run_{io_, io_};
};

TEST_F(RunControllerTest, ARunWithoutErrorsGoesFromIdleThroughRunningToIdle) {
  EXPECT_EQ(run_.State(), TRunState::Idle);
  ASSERT_EQ(run_.StartRun(TRunTrigger::Schedule), TStartResult::Started);
  EXPECT_EQ(run_.State(), TRunState::Running);
  EXPECT_TRUE(run_.Running());
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{
                "white", "no blink", "greyed C:\\Sicherung\\ awake locked",
                "start C:\\Sicherung\\ | C:\\Kontorix\\A\\\r\nC:\\Kontorix\\B\\\r\n"}));
  // Nothing starts beside a run.
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Refused);
  run_.CacheTick();
  run_.NetworkTick();
  EXPECT_TRUE(io_.TakeLog().empty());

  clock_.Set(MakeTime(2026, 12, 8, 14, 0, 7));
  Report("Tabelle A.ADT<hr>", false, false);
  Report("Ende A", false, true);  // B still runs: the label stays
  clock_.Set(MakeTime(2026, 12, 8, 14, 1, 2));
  Report("Ende B", false, true);
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{"status <b>0h0m7 </b>Tabelle A.ADT",
                                      "status Gesamt: <b>0h1m2 </b> Fertig!",
                                      "protocol Ende A<hr>\r\n", "no blink", "restored",
                                      "finished released", "popup white 2", "after"}));
  EXPECT_EQ(run_.State(), TRunState::Idle);
  EXPECT_FALSE(run_.Running());
  EXPECT_EQ(run_.Status(), "Gesamt: <b>0h1m2 </b> Fertig!");
}

TEST_F(RunControllerTest, TheProtocolOfARunNamesTheEngineFirst) {
  io_.Engine = "Datenbank-Engine: eingebaute Engine (C:\\K&K\\ACE32.DLL <nicht> vorhanden)";
  ASSERT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
  clock_.Set(MakeTime(2026, 12, 8, 14, 2, 0));
  Report("Ende A", false, true);
  Report("Ende B", false, true);
  EXPECT_TRUE(
      io_.Has("protocol </b>08.12.2026 14h0m0<b></b>: Datenbank-Engine: eingebaute Engine "
              "(C:\\K&amp;K\\ACE32.DLL &lt;nicht&gt; vorhanden)\r\nEnde A<hr>\r\n"));
  // A start that ends at once writes its one line alone.
  io_.Dbs.clear();
  io_.TakeLog();
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::NothingToBackUp);
  EXPECT_TRUE(io_.Has("protocol line " + std::string(kNothingToBackUp)));
}

TEST_F(RunControllerTest, AListLineWithMarkupIsProtocolledAsText) {
  io_.ListProblem = "Datenbankverzeichnis nicht vorhanden: C:\\<script>alert(1)</script> & Co";
  ASSERT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
  EXPECT_TRUE(io_.Has(
      "protocol </b>08.12.2026 14h0m0<b>: <FONT color=\"#FF0000\">Datenbankverzeichnis nicht "
      "vorhanden: C:\\&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co</FONT>\r\n<hr>\r\n"));
}

TEST_F(RunControllerTest, ErrorsEndWithBlinkSoundPageAndRedPopupUntilTheNextRun) {
  ASSERT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
  io_.TakeLog();
  Report("</b>x<b>: <FONT color=\"#FF0000\">kaputt</FONT>", true, false);
  EXPECT_EQ(run_.Errors().size(), 1u);
  Report("Ende A", true, true);
  Report("Ende B", false, true);
  std::vector<std::string> log = io_.TakeLog();
  std::vector<std::string> tail(log.end() - 7, log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"restored", "finished released", "blink", "sound",
                                            "open", "popup red 2", "after"}));
  EXPECT_EQ(run_.State(), TRunState::ErrorsShown);
  EXPECT_TRUE(run_.Errors().empty());

  // The next run with an existing target stops the blink.
  ASSERT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
  EXPECT_EQ(run_.State(), TRunState::Running);
  EXPECT_TRUE(io_.Has("no blink"));
}

TEST_F(RunControllerTest, AnUnreadableUserListIsProtocolledAndTheRunEndsRed) {
  io_.ListProblem = "Die Datenbankliste C:\\Q\\UserDefined.txt kann nicht gelesen werden";
  ASSERT_EQ(run_.StartRun(TRunTrigger::Schedule), TStartResult::Started);
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{
                "white",
                "protocol </b>08.12.2026 14h0m0<b>: <FONT color=\"#FF0000\">Die Datenbankliste "
                "C:\\Q\\UserDefined.txt kann nicht gelesen werden</FONT>\r\n<hr>\r\n",
                "no blink", "greyed C:\\Sicherung\\ awake locked",
                "start C:\\Sicherung\\ | C:\\Kontorix\\A\\\r\nC:\\Kontorix\\B\\\r\n"}));
  Report("Ende A", false, true);
  Report("Ende B", false, true);
  std::vector<std::string> log = io_.TakeLog();
  std::vector<std::string> tail(log.end() - 5, log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"blink", "sound", "open", "popup red 2", "after"}));
  EXPECT_EQ(run_.State(), TRunState::ErrorsShown);

  // With no database left to back up, the run still names the list.
  io_.Dbs.clear();
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::NothingToBackUp);
  log = io_.TakeLog();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) {
                            return l.find("UserDefined.txt kann nicht") != std::string::npos;
                          }),
            1);
  EXPECT_NE(std::find(log.begin(), log.end(), "popup red 0"), log.end());
}

// Only the protocol line would leave a scheduled backup to an unplugged disk
// unnoticed: the icon blinks and the balloon names the missing target.
TEST_F(RunControllerTest, AMissingTargetAtARunStartIsWrittenAndShownAtTheTray) {
  io_.Target = "D:\\Weg";
  EXPECT_EQ(run_.StartRun(TRunTrigger::Schedule), TStartResult::TargetMissing);
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{
                "red", "finished released", "protocol line Sicherungsverzeichnis fehlt!", "blink",
                "balloon Quorvel Fehler! | Zielverzeichnis für Sicherungen fehlt. (error)",
                "missing D:\\Weg\\"}));
  EXPECT_FALSE(run_.Running());
  EXPECT_EQ(io_.Awake, 0);
  EXPECT_EQ(run_.State(), TRunState::TargetMissing);
  // A network target is connected before it is looked at.
  io_.Target = "\\\\server\\share";
  run_.StartRun(TRunTrigger::Manual);
  EXPECT_EQ(io_.Log.front(), "connect \\\\server\\share\\");
}

TEST_F(RunControllerTest, AHeldRunLockStartsNothingAndAScheduledRunSaysSoInTheProtocol) {
  io_.LockFree = false;
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Locked);
  EXPECT_EQ(io_.TakeLog(), std::vector<std::string>{"locked manual"});
  EXPECT_EQ(run_.StartRun(TRunTrigger::Schedule), TStartResult::Locked);
  EXPECT_EQ(io_.TakeLog(), (std::vector<std::string>{std::string("protocol line ") + kRunLockedLine,
                                                     "locked scheduled"}));
  EXPECT_FALSE(run_.Running());
  EXPECT_EQ(run_.State(), TRunState::Idle);
  // Active backup jobs of the pool refuse a run before the lock is asked.
  io_.LockFree = true;
  io_.Active = 1;
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Refused);
  EXPECT_FALSE(io_.LockHeld);
}

TEST_F(RunControllerTest, ARunWithoutAnyExistingDatabaseEndsAtOnceWithErrors) {
  io_.Folders = {"C:\\Sicherung\\"};
  EXPECT_EQ(run_.StartRun(TRunTrigger::Schedule), TStartResult::NothingToBackUp);
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{
                "white", "skipped C:\\Kontorix\\A\\", "skipped C:\\Kontorix\\B\\", "nothing",
                std::string("protocol line ") + kNothingToBackUp, "list read", "finished released",
                "blink", "sound", "open", "popup red 0", "after"}));
  EXPECT_EQ(run_.State(), TRunState::ErrorsShown);
  EXPECT_FALSE(run_.Running());

  // Folders that vanish before the pool looks: the greyed window comes back.
  io_.Folders = {"C:\\Sicherung\\", "C:\\Kontorix\\A\\"};
  io_.JobsStart = false;
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::NothingToBackUp);
  EXPECT_TRUE(io_.Has("restored"));
  EXPECT_TRUE(io_.Has("popup red 0"));
  EXPECT_FALSE(io_.LockHeld);
  EXPECT_EQ(io_.Awake, 0);
}

TEST_F(RunControllerTest, AProtocolThatCannotBeWrittenStillEndsTheRunRedAndReleasesIt) {
  ASSERT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
  io_.Dbs = {"C:\\Kontorix\\A\\"};
  io_.Active = 1;
  io_.ProtocolFails = true;
  io_.TakeLog();
  // The reason still reaches the caller, after the result is shown.
  EXPECT_THROW(Report("Ende A", false, true), std::runtime_error);
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{"status Gesamt: <b>0h0m0 </b> Fertig!", "no blink",
                                      "restored", "finished released", "blink", "sound", "open",
                                      "popup red 1", "after"}));
  EXPECT_FALSE(run_.Running());
  EXPECT_EQ(run_.State(), TRunState::ErrorsShown);
  io_.ProtocolFails = false;
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
}

TEST_F(RunControllerTest, ARunStartedWhileTheResultPopsUpKeepsItsOwnErrors) {
  ASSERT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
  io_.WhilePopupSlides = [&] {
    // The next hour fires: database A fails at once, B goes on.
    EXPECT_EQ(run_.StartRun(TRunTrigger::Schedule), TStartResult::Started);
    Report("</b>A<b>: <FONT color=\"#FF0000\">kaputt</FONT>", true, true);
  };
  Report("Ende A", false, true);
  Report("Ende B", false, true);
  EXPECT_TRUE(run_.Running());
  EXPECT_EQ(run_.State(), TRunState::Running);
  EXPECT_EQ(run_.Errors().size(), 1u);
  std::vector<std::string> log = io_.TakeLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "after"), 0) << "the new run's window stays";
  Report("Ende B", false, true);
  log = io_.TakeLog();
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{"popup red 2", "after"}));
}

TEST_F(RunControllerTest, AFailingStartRestoresTheWindowAndReleasesTheRun) {
  io_.StartFails = true;
  EXPECT_THROW(run_.StartRun(TRunTrigger::Manual), std::runtime_error);
  std::vector<std::string> log = io_.TakeLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{"restored", "finished released"}));
  EXPECT_FALSE(run_.Running());
  EXPECT_EQ(run_.State(), TRunState::Idle);
  io_.StartFails = false;
  EXPECT_EQ(run_.StartRun(TRunTrigger::Manual), TStartResult::Started);
}

TEST_F(RunControllerTest, ReportsOfAuxiliaryJobsAndAfterTheRunChangeNothing) {
  run_.JobReported(nullptr, 0);
  EXPECT_TRUE(io_.Log.empty());
  TJobReport late;
  late.Text = "spät";
  late.Final = true;
  run_.JobReported(&late, 0);  // not running: no end of a run
  std::vector<std::string> log = io_.TakeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("status Gesamt: <b>", 0), 0u);
}

TEST_F(RunControllerTest, StartUpWithAMissingTargetWarnsShowsTheWindowAndBlinks) {
  run_.StartUpChecks(false);
  EXPECT_EQ(run_.State(), TRunState::TargetMissing);
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{
                "blink", std::string("box ") + kStartUpMessage, "window",
                "cache C:\\Kontorix\\A\\\r\nC:\\Kontorix\\B\\\r\n",
                "net C:\\Kontorix\\A\\\r\nC:\\Kontorix\\B\\\r\n",
                "balloon Quorvel Fehler! | Zielverzeichnis für Sicherungen fehlt. (error)"}));
  // A missing folder chosen keeps the state; an existing one ends it.
  EXPECT_FALSE(run_.TargetChosen(false));
  EXPECT_EQ(io_.TakeLog(),
            (std::vector<std::string>{
                "red", "blink", "balloon Quorvel Fehler! | Verzeichnis nicht vorhanden. (error)"}));
  EXPECT_EQ(run_.State(), TRunState::TargetMissing);
  EXPECT_TRUE(run_.TargetChosen(true));
  EXPECT_EQ(io_.TakeLog(), (std::vector<std::string>{"white", "no blink"}));
  EXPECT_EQ(run_.State(), TRunState::Idle);
}

TEST_F(RunControllerTest, StartUpWithATargetShowsTheHoursInTheBalloon) {
  run_.StartUpChecks(true);
  EXPECT_EQ(run_.State(), TRunState::Idle);
  EXPECT_EQ(io_.Log.back(), "balloon Quorvel | Sicherungen erfolgen: \r\n08 Uhr (info)");
  EXPECT_FALSE(io_.Has("blink"));
  EXPECT_FALSE(io_.Has("window"));
}

TEST_F(RunControllerTest, ChoosingAnExistingTargetEndsTheErrorBlink) {
  io_.Folders.erase("C:\\Kontorix\\B\\");
  io_.Dbs = {"C:\\Kontorix\\B\\"};
  run_.StartRun(TRunTrigger::Manual);
  ASSERT_EQ(run_.State(), TRunState::ErrorsShown);
  EXPECT_TRUE(run_.TargetChosen(true));
  EXPECT_EQ(run_.State(), TRunState::Idle);
}

}  // namespace
}  // namespace qv
