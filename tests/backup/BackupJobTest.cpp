// The decisions of one backup job over an in-memory world: what is checked,
// copied and archived, which lines are reported, and what stays behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "FakeJobSystem.h"
#include "ProtocolLines.h"
#include "TestClock.h"
#include "backup/BackupJob.h"

namespace qv {
namespace {

using test::Link;
using test::Plain;
using test::Red;
using test::TFakeWorld;

constexpr char kDb[] = "D:\\Firma\\Daten\\";
constexpr char kTarget[] = "S:\\Sicherung";
constexpr char kRoot[] = "S:\\Sicherung\\D__Firma_Daten\\";
constexpr char kStamp[] = "04-05-2031-10-11-12";

std::string Zip() { return std::string(kRoot) + "DATABASEBACKUP\\ZIP\\"; }
std::string Other() { return std::string(kRoot) + "DATABASEBACKUP\\ZIPOTHER\\"; }
// The stamp name of an earlier day's set, i from 0 to 59.
std::string OldSet(int i) {
  return "01-01-2031-10-00-" + std::string(i < 10 ? "0" : "") + std::to_string(i);
}

// The logged lines of the final item, without their time stamps.
std::vector<std::string> Lines(const test::TFakeReports& reports) {
  std::vector<std::string> lines;
  const TJobReport* final = reports.Final();
  if (!final) return lines;
  std::string text = final->Text;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    std::string line = text.substr(start, end - start);
    size_t mark = line.find("<b>");
    lines.push_back(line.rfind("</b>", 0) == 0 && mark != std::string::npos ? line.substr(mark)
                                                                            : line);
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The logged lines of a sound run of AddDatabase()'s database.
std::vector<std::string> SoundRunLines() { return test::SoundRunLines(kDb, kRoot, kStamp); }

class BackupJobTest : public testing::Test {
 protected:
  void SetUp() override {
    clock_.Set(test::MakeTime(2031, 5, 4, 10, 11, 12));
    SetClockForTest(&clock_);
  }
  void TearDown() override { SetClockForTest(nullptr); }
  void AddDatabase() {
    world_.Files->AddFile(std::string(kDb) + "KUNDEN.ADT", "kunden");
    world_.Files->AddFile(std::string(kDb) + "KUNDEN.ADM", "memo");
    world_.Files->AddFile(std::string(kDb) + "Brief.txt", "brief");
    world_.Files->AddFile(std::string(kDb) + "alt.bak", "alt");
  }
  void Run() { world_.Job(kTarget, kDb)->Run(); }
  std::vector<std::string> SetFolders(const std::string& base) {
    std::vector<std::string> names = world_.Files->Below(base);
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TFakeClock clock_;
  TFakeWorld world_;
};

TEST_F(BackupJobTest, SoundDatabaseIsCopiedArchivedAndReported) {
  AddDatabase();
  Run();
  ASSERT_NE(world_.Reports->Final(), nullptr);
  EXPECT_FALSE(world_.Reports->Final()->Failed);
  std::string zipSet = Zip() + kStamp + "\\";
  std::string otherSet = Other() + kStamp + "\\";
  EXPECT_EQ(Lines(*world_.Reports), SoundRunLines());
  auto& files = world_.Files->Files;
  EXPECT_EQ(files.at(std::string(kRoot) + "DATABASEBACKUP\\DATA2\\KUNDEN.ADM"), "memo");
  EXPECT_EQ(files.at(std::string(kRoot) + "DATABASEBACKUP\\DATA\\KUNDEN.ADT"), "kunden");
  EXPECT_EQ(world_.Files->Archives.at(zipSet + "datenbank.zip"),
            (std::vector<std::string>{"KUNDEN.ADM", "KUNDEN.ADT"}));
  EXPECT_EQ(world_.Files->Archives.at(otherSet + "andere.zip"),
            std::vector<std::string>{"Brief.txt"});
  EXPECT_EQ(SetFolders(Zip()), std::vector<std::string>{std::string(kStamp) + "\\"});
}

TEST_F(BackupJobTest, DamagedTableStopsTheArchivesButNotTheOtherTables) {
  AddDatabase();
  world_.Files->AddFile(std::string(kDb) + "ARTIKEL.ADT", "artikel");
  world_.Damaged = {"ARTIKEL.ADT"};
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_TRUE(Has(lines, Red("Problem in Tabelle \"ARTIKEL\" : Tabelle ARTIKEL.ADT ist defekt")));
  EXPECT_EQ(world_.Files->Files.count(std::string(kRoot) + "DATABASEBACKUP\\DATA2\\KUNDEN.ADT"),
            1u);
  EXPECT_TRUE(SetFolders(Zip()).empty());
  EXPECT_TRUE(world_.Files->Archives.empty());
}

TEST_F(BackupJobTest, AFolderNameWithMarkupCharactersIsReportedAsTextWithWorkingLinks) {
  const std::string db = "D:\\Firma & Co #2\\";
  world_.Files->AddFile(db + "KUNDEN.ADT", "kunden");
  world_.Job(kTarget, db)->Run();
  ASSERT_NE(world_.Reports->Final(), nullptr);
  EXPECT_FALSE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_TRUE(Has(lines, Plain("Datenbank \"D:\\Firma &amp; Co #2\\\" überprüfen..")));
  const std::string data2 = "S:\\Sicherung\\D__Firma & Co #2\\DATABASEBACKUP\\DATA2\\";
  EXPECT_TRUE(
      Has(lines, Plain("Alle Tabellen scheinen in Ordnung zu sein. Die letzte "
                       "funktionierende Sicherung finden Sie in <a href=\"file://"
                       "S:\\Sicherung\\D__Firma &amp; Co %232\\DATABASEBACKUP\\DATA2\\\">"
                       "S:\\Sicherung\\D__Firma &amp; Co #2\\DATABASEBACKUP\\DATA2\\</a>.")))
      << lines.at(1);
  EXPECT_EQ(world_.Files->Files.count(data2 + "KUNDEN.ADT"), 1u);
}

// Whether the file comes into being within 20 s (written by another thread).
bool AppearsSoon(test::TFakeFiles& files, const std::string& path) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    {
      std::lock_guard<std::recursive_mutex> guard(files.Lock);
      if (files.Files.count(path)) return true;
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// The database's set is written while the tables are checked: the check of
// the table waits until the set's part exists.
TEST_F(BackupJobTest, DatabaseSetIsWrittenBesideTheCheck) {
  AddDatabase();
  std::string part = Zip() + kStamp + kUnfinishedSetSuffix + "\\datenbank.zip";
  bool partSeenDuringCheck = false;
  world_.OnCheck = [&] { partSeenDuringCheck = AppearsSoon(*world_.Files, part); };
  Run();
  EXPECT_TRUE(partSeenDuringCheck);
  EXPECT_FALSE(world_.Reports->Final()->Failed);
  // The set's lines, sent while the check still ran, follow the check's.
  EXPECT_EQ(Lines(*world_.Reports), SoundRunLines());
  EXPECT_EQ(SetFolders(Zip()), std::vector<std::string>{std::string(kStamp) + "\\"});
  EXPECT_EQ(world_.Files->Archives.at(Zip() + kStamp + "\\datenbank.zip"),
            (std::vector<std::string>{"KUNDEN.ADM", "KUNDEN.ADT"}));
}

// A set written beside a check that fails is removed, and no old set gives
// way for it, even at the number of sets kept.
TEST_F(BackupJobTest, SetWrittenBesideAFailedCheckLeavesNothingAndKeepsEveryOldSet) {
  AddDatabase();
  world_.Files->AddFile(std::string(kDb) + "ARTIKEL.ADT", "artikel");
  world_.Damaged = {"ARTIKEL.ADT"};
  TLocalTime old = test::MakeTime(2031, 1, 1, 10, 0, 0);
  std::vector<std::string> oldSets;
  for (int i = 0; i < kDatabaseSetsKept; ++i) {
    std::string name =
        "01-01-2031-10-" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "-00";
    world_.Files->AddFolder(Zip() + name + "\\", old, 10 + i);
    oldSets.push_back(name + "\\");
  }
  std::string working = Zip() + kStamp + kUnfinishedSetSuffix + "\\";
  bool writtenWhenTheCheckFailed = false;
  world_.OnCheck = [&] {
    writtenWhenTheCheckFailed = AppearsSoon(*world_.Files, working + "datenbank.zip");
  };
  Run();
  EXPECT_TRUE(writtenWhenTheCheckFailed);
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  EXPECT_EQ(SetFolders(Zip()), oldSets);
  EXPECT_FALSE(Has(Lines(*world_.Reports), Plain("Daten-Ziparchiv erstellen..")));
  EXPECT_EQ(world_.Files->Deleted, std::vector<std::string>{working});
}

TEST_F(BackupJobTest, NoEngineAndNoTablesAreADatabaseNotFound) {
  world_.Files->AddFile(std::string(kDb) + "Brief.txt", "b");
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  EXPECT_EQ(Lines(*world_.Reports)[1], Red("Datenbank nicht gefunden in " + std::string(kDb)));

  EXPECT_EQ(Lines(*world_.Reports)[2], Plain("Datenbank \"" + std::string(kDb) + "\" fertig."));

  AddDatabase();
  world_.Connects = false;
  world_.Reports->Items.clear();
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_EQ(lines[1], Red("Datenbank nicht gefunden in " + std::string(kDb)));
  EXPECT_EQ(lines[2],
            Red("Die Datenbank-Engine ist nicht erreichbar: " +
                std::string(EADSDatabaseError(6420, "Der Server ist nicht erreichbar").what())));
}

TEST_F(BackupJobTest, CopyThatCannotBeWrittenNamesTheReasonAndIsNotClaimed) {
  AddDatabase();
  std::string target = std::string(kRoot) + "DATABASEBACKUP\\DATA\\KUNDEN.ADM";
  world_.Files->FailingCopies[target] = "Auf dem Datenträger ist nicht genügend Speicherplatz";
  world_.Files->AddFile(std::string(kRoot) + "DATABASEBACKUP\\DATA2\\KUNDEN.ADM", "last good");
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_EQ(lines[1], Red("Sicherungskopie \"" + target +
                          "\" konnte nicht geschrieben werden: Auf dem Datenträger ist nicht "
                          "genügend Speicherplatz"));
  EXPECT_EQ(lines[2], Plain("Alle Tabellen scheinen in Ordnung zu sein. Die letzte "
                            "funktionierende Sicherung finden Sie in " +
                            Link(std::string(kRoot) + "unbekannt") + "."));
  EXPECT_EQ(world_.Files->Files.at(std::string(kRoot) + "DATABASEBACKUP\\DATA2\\KUNDEN.ADM"),
            "last good");
}

TEST_F(BackupJobTest, PartsAreNamedAndSplitAtTheLimit) {
  for (const char* name : {"A.ADT", "B.ADT", "C.ADT"})
    world_.Files->AddFile(kDb + std::string(name), std::string(400, 'x'));
  auto job = world_.Job(kTarget, kDb);
  job->SetPartLimitForTest(1000);
  TArchiveSetResult result = job->BuildArchiveSet(TArchiveKind::Database, kDatabaseSetsKept);
  EXPECT_TRUE(result.Created);
  EXPECT_EQ(result.Error, "");
  std::string set = Zip() + kStamp + "\\";
  ASSERT_EQ(job->ArchiveFiles(),
            (TStringList{set + "datenbank.zip", set + "datenbank Teil[2].zip"}));
  EXPECT_EQ(world_.Files->Archives.at(set + "datenbank.zip"),
            (std::vector<std::string>{"A.ADT", "B.ADT"}));
  EXPECT_EQ(world_.Files->Archives.at(set + "datenbank Teil[2].zip"),
            std::vector<std::string>{"C.ADT"});
}

TEST_F(BackupJobTest, InterruptedSetIsNeverTodaysSetAndIsRemovedByTheNextRun) {
  AddDatabase();
  std::string working = Zip() + kStamp + kUnfinishedSetSuffix + "\\";
  world_.Files->KillAtCreate.insert(working + "datenbank.zip");
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed) << "an interrupted job never ends green";
  EXPECT_EQ(SetFolders(Zip()),
            std::vector<std::string>{std::string(kStamp) + kUnfinishedSetSuffix + "\\"});

  world_.Files->KillAtCreate.clear();
  world_.Reports->Items.clear();
  Run();  // the same day
  EXPECT_FALSE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_TRUE(Has(lines, Plain("Daten-Ziparchiv erstellen..")));
  EXPECT_EQ(SetFolders(Zip()), std::vector<std::string>{std::string(kStamp) + "\\"});
  EXPECT_EQ(world_.Files->Files.count(working + "datenbank.zip"), 0u);
  EXPECT_EQ(world_.Files->Archives.at(Zip() + kStamp + "\\datenbank.zip").size(), 2u);
}

// Copies into DATA and DATA2 cut off by a shutdown leave temporary files as
// large as their tables; the next run removes them, and only them.
TEST_F(BackupJobTest, CopiesCutOffEarlierAreRemovedFromTheKeptFolders) {
  AddDatabase();
  std::string data = std::string(kRoot) + "DATABASEBACKUP\\DATA\\";
  std::string data2 = std::string(kRoot) + "DATABASEBACKUP\\DATA2\\";
  world_.Files->AddFile(data + "KUNDEN.ADT.~123456.tmp", "halb");
  world_.Files->AddFile(data2 + "ARTIKEL.ADM.~7.tmp", "halb");
  world_.Files->AddFile(data + "Notiz.tmp", "eigene Datei");
  world_.Files->AddFile(data + "KUNDEN.ADT.~.tmp", "kein Zähler");
  world_.Files->AddFile(data + "KUNDEN.ADT.~12a.tmp", "kein Zähler");
  Run();
  EXPECT_FALSE(world_.Reports->Final()->Failed);
  EXPECT_EQ(world_.Files->Below(data),
            (std::vector<std::string>{"KUNDEN.ADM", "KUNDEN.ADT", "KUNDEN.ADT.~.tmp",
                                      "KUNDEN.ADT.~12a.tmp", "Notiz.tmp"}));
  EXPECT_EQ(world_.Files->Below(data2), (std::vector<std::string>{"KUNDEN.ADM", "KUNDEN.ADT"}));
}

// The kept copies are the checked table's files and no others: an index of
// an earlier check beside a new table would not match it when restored.
TEST_F(BackupJobTest, KeptCopiesLoseTheFilesTheTableNoLongerHas) {
  AddDatabase();
  std::string data = std::string(kRoot) + "DATABASEBACKUP\\DATA\\";
  std::string data2 = std::string(kRoot) + "DATABASEBACKUP\\DATA2\\";
  world_.Files->AddFile(data + "KUNDEN.ADI", "alter Index");
  world_.Files->AddFile(data2 + "KUNDEN.ADI", "alter Index");
  world_.Files->AddFile(data + "ARTIKEL.ADI", "andere Tabelle");
  Run();
  EXPECT_FALSE(world_.Reports->Final()->Failed);
  EXPECT_EQ(world_.Files->Below(data),
            (std::vector<std::string>{"ARTIKEL.ADI", "KUNDEN.ADM", "KUNDEN.ADT"}));
  EXPECT_EQ(world_.Files->Below(data2), (std::vector<std::string>{"KUNDEN.ADM", "KUNDEN.ADT"}));
}

TEST_F(BackupJobTest, LeftoversDoNotCountTowardTheKeptSets) {
  AddDatabase();
  TLocalTime old = test::MakeTime(2031, 1, 1, 10, 0, 0);
  for (int i = 0; i < kOtherSetsKept - 1; ++i)
    world_.Files->AddFolder(Other() + OldSet(i) + "\\", old, 10 + i);
  world_.Files->AddFolder(Other() + "01-05-2031-10-00-00" + kUnfinishedSetSuffix + "\\", old, 1);
  auto job = world_.Job(kTarget, kDb);
  job->BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept);
  auto folders = SetFolders(Other());
  EXPECT_EQ(folders.size(), static_cast<size_t>(kOtherSetsKept));
  EXPECT_TRUE(Has(folders, OldSet(0) + "\\")) << "the oldest real set stays: only nine existed";
  EXPECT_FALSE(Has(folders, std::string("01-05-2031-10-00-00") + kUnfinishedSetSuffix + "\\"));

  clock_.Set(test::MakeTime(2031, 5, 5, 10, 0, 0));
  job->BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept);
  folders = SetFolders(Other());
  EXPECT_EQ(folders.size(), static_cast<size_t>(kOtherSetsKept));
  EXPECT_FALSE(Has(folders, OldSet(0) + "\\")) << "the earliest made goes";
}

TEST_F(BackupJobTest, UnchangedFilesAreTakenOverFromTheNewestReadableSet) {
  AddDatabase();
  TLocalTime old = test::MakeTime(2031, 1, 1, 10, 0, 0);
  auto addSet = [&](const std::string& folder, std::uint64_t ticks,
                    std::vector<std::string> parts) {
    world_.Files->AddFolder(Zip() + folder + "\\", old, ticks);
    for (std::string& part : parts) {
      part = Zip() + folder + "\\" + part;
      world_.Files->AddFile(part, "zip");
    }
    return parts;
  };
  addSet(OldSet(0), 10, {"datenbank.zip"});
  std::vector<std::string> readable =
      addSet(OldSet(1), 20, {"datenbank.zip", "datenbank Teil[2].zip"});
  std::vector<std::string> torn = addSet(OldSet(2), 30, {"datenbank.zip", "datenbank Teil[2].zip"});
  world_.Files->TornParts.insert(torn[1]);
  addSet(OldSet(3), 40, {});                // a day that took no file
  addSet("Eigene", 50, {"datenbank.zip"});  // the user's folder, no set
  addSet(std::string(OldSet(4)) + kUnfinishedSetSuffix, 60, {"datenbank.zip"});
  auto job = world_.Job(kTarget, kDb);
  job->BuildArchiveSet(TArchiveKind::Database, kDatabaseSetsKept);
  ASSERT_EQ(world_.Files->TakenOver.size(), 1u);
  std::vector<std::string> offered = world_.Files->TakenOver[0];
  std::sort(offered.begin(), offered.end());
  std::sort(readable.begin(), readable.end());
  EXPECT_EQ(offered, readable) << "the newest set with parts that all can be read";
  job->BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept);
  EXPECT_EQ(world_.Files->TakenOver.size(), 1u) << "no earlier set of the other kind";
}

TEST_F(BackupJobTest, SecondRunOnTheSameDayOnlyPointsToTheSets) {
  AddDatabase();
  Run();
  world_.Reports->Items.clear();
  Run();
  auto lines = Lines(*world_.Reports);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], Plain("Alle Ziparchive der Datenbank finden Sie hier " + Link(Zip()) + "."));
  EXPECT_EQ(lines[3],
            Plain("Alle Ziparchive der anderen Dateien finden Sie hier " + Link(Other()) + "."));
}

TEST_F(BackupJobTest, UnreadableFolderFailsTheSetInsteadOfShorteningIt) {
  AddDatabase();
  world_.Files->AddFile(std::string(kDb) + "Archiv\\2019\\Brief.txt", "alt");
  std::string unreadable = std::string(kDb) + "Archiv\\2019\\";
  world_.Files->UnreadableFolders.insert(unreadable);
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  std::string reason =
      "Verzeichnis " + unreadable + " kann nicht gelesen werden: Zugriff verweigert";
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       Red("Problem beim Erstellen der Zip-Datei: \"" + reason + "\"")),
            2);
  EXPECT_TRUE(SetFolders(Zip()).empty());
  EXPECT_TRUE(SetFolders(Other()).empty());
  EXPECT_TRUE(world_.Files->Archives.empty());
}

TEST_F(BackupJobTest, UnreadableDatabaseFolderIsAFailureOfTheCheck) {
  AddDatabase();
  world_.Files->UnreadableFolders.insert(kDb);
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_TRUE(Has(lines, Red("Verzeichnis " + std::string(kDb) +
                             " kann nicht gelesen werden: Zugriff verweigert")));
  EXPECT_TRUE(SetFolders(Zip()).empty());
}

TEST_F(BackupJobTest, WhatStopsTheJobIsNamedAndNeverEndsGreen) {
  AddDatabase();
  world_.Files->AddFolder(Zip(), test::MakeTime(2031, 1, 1, 0, 0, 0), 1);
  world_.Files->UnreadableFolders.insert(Zip());  // the sets cannot be counted
  Run();
  ASSERT_NE(world_.Reports->Final(), nullptr) << "the final item is posted";
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_EQ(lines.back(),
            Red("Sicherung von \"" + std::string(kDb) + "\" abgebrochen: Verzeichnis " + Zip() +
                " kann nicht gelesen werden: Zugriff verweigert"));
  EXPECT_FALSE(Has(lines, Plain("Datenbank \"" + std::string(kDb) + "\" fertig.")));
}

TEST_F(BackupJobTest, FullDiskDuringAPartRemovesTheSetAndNamesTheReason) {
  AddDatabase();
  std::string reason =
      "Stream-Write-Fehler in Datei X: Auf dem Datenträger ist nicht genügend "
      "Speicherplatz";
  world_.Files->FailingAdds[std::string(kDb) + "KUNDEN.ADT"] = reason;
  Run();
  EXPECT_TRUE(world_.Reports->Final()->Failed);
  auto lines = Lines(*world_.Reports);
  EXPECT_TRUE(Has(lines, Red("Problem beim Erstellen der Zip-Datei: \"" + reason + "\"")));
  EXPECT_TRUE(SetFolders(Zip()).empty()) << "no set kept";
  EXPECT_EQ(SetFolders(Other()), std::vector<std::string>{std::string(kStamp) + "\\"});
}

// Regression: a day whose set failed still deleted the oldest good set, so
// the user lost a backup and got nothing in its place.
TEST_F(BackupJobTest, FailedSetKeepsTheOldestSet) {
  AddDatabase();
  TLocalTime old = test::MakeTime(2031, 1, 1, 10, 0, 0);
  for (int i = 0; i < kOtherSetsKept; ++i)
    world_.Files->AddFolder(Other() + OldSet(i) + "\\", old, 10 + i);
  world_.Files->FailingAdds[std::string(kDb) + "Brief.txt"] = "Stream-Write-Fehler in Datei X: weg";
  world_.Files->AddFile(std::string(kDb) + "Brief.txt", "b");
  auto job = world_.Job(kTarget, kDb);
  job->BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept);
  auto folders = SetFolders(Other());
  EXPECT_EQ(folders.size(), static_cast<size_t>(kOtherSetsKept));
  EXPECT_TRUE(Has(folders, OldSet(0) + "\\")) << "the oldest set stays when no new set replaced it";
}

TEST_F(BackupJobTest, FoldersOfTheUserInAKindFolderAreNeitherSetsNorRemoved) {
  AddDatabase();
  TLocalTime old = test::MakeTime(2031, 1, 1, 10, 0, 0);
  // Made before every set, and one of them today: neither is a set.
  world_.Files->AddFolder(Other() + "Wichtig\\", old, 1);
  world_.Files->AddFolder(Other() + "Kopie von 01-01-2031-10-00-00\\", clock_.LocalNow(), 2);
  world_.Files->AddFolder(Other() + "Wichtig" + kUnfinishedSetSuffix + "\\", old, 3);
  for (int i = 0; i < kOtherSetsKept - 1; ++i)
    world_.Files->AddFolder(Other() + OldSet(i) + "\\", old, 10 + i);
  auto job = world_.Job(kTarget, kDb);
  EXPECT_TRUE(job->BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept).Created);
  auto folders = SetFolders(Other());
  EXPECT_TRUE(Has(folders, OldSet(0) + "\\")) << "nine sets and three other folders are no ten";
  EXPECT_EQ(folders.size(), static_cast<size_t>(kOtherSetsKept) + 3);

  clock_.Set(test::MakeTime(2031, 5, 5, 10, 0, 0));
  EXPECT_TRUE(job->BuildArchiveSet(TArchiveKind::Other, kOtherSetsKept).Created);
  folders = SetFolders(Other());
  EXPECT_FALSE(Has(folders, OldSet(0) + "\\")) << "the earliest set goes";
  for (const char* mine : {"Wichtig\\", "Kopie von 01-01-2031-10-00-00\\", "Wichtig.unfertig\\"})
    EXPECT_TRUE(Has(folders, mine)) << mine;
}

TEST_F(BackupJobTest, ProgressLinesAtMostEveryFiveSeconds) {
  for (int i = 0; i < 12; ++i)
    world_.Files->AddFile(kDb + std::string("T") + std::to_string(10 + i) + ".ADT", "x");
  test::TSteppingClock stepping(test::MakeTime(2031, 5, 4, 10, 11, 12),
                                2000);  // each reading 2 s later
  SetClockForTest(&stepping);
  world_.Job(kTarget, kDb)->BuildArchiveSet(TArchiveKind::Database, kDatabaseSetsKept);
  std::vector<std::string> progress;
  for (const auto& item : world_.Reports->Items)
    if (!item.Logged) progress.push_back(item.Text);
  // Each check reads the clock (2 s on), and a sent line reads it once more:
  // 6 s have passed at files 3, 6 and 9; never for file 0, never twice in 5 s.
  EXPECT_EQ(progress, (std::vector<std::string>{
                          "<b>3</b> von <b>12 </b>zippen.. [" + std::string(kDb) + "]",
                          "<b>6</b> von <b>12 </b>zippen.. [" + std::string(kDb) + "]",
                          "<b>9</b> von <b>12 </b>zippen.. [" + std::string(kDb) + "]",
                      }));
}

}  // namespace
}  // namespace qv
