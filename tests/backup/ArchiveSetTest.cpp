#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "AdtGen.h"
#include "JobHarness.h"
#include "KeptArchives.h"
#include "ProtocolLines.h"
#include "TestClock.h"
#include "WinTestSupport.h"
#include "ZipListing.h"
#include "util/FileUtils.h"

namespace qv {
namespace {

using test::Exists;
using test::KeepForReaders;
using test::Link;
using test::ListZip;
using test::Plain;
using test::ReadBytes;
using test::TJobHarness;
using test::TTempDir;
using test::WithoutTimes;
using test::WriteBytes;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = Narrow(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

class ArchiveSetTest : public testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_ / "Daten\\";
    CreateDirectoryW(Widen(db_).c_str(), nullptr);
    clock_.Set(test::MakeTime(2031, 5, 4, 10, 11, 12));  // no set folder was made on this day
    SetClockForTest(&clock_);
  }
  void TearDown() override { SetClockForTest(nullptr); }
  std::unique_ptr<TBackupJob> Job() {
    auto job = std::make_unique<TBackupJob>(dir_ / "Ziel", harness_.Channel(), db_);
    ForceFolders(job->BackupRoot);
    return job;
  }
  std::string ZipBase(const TBackupJob& job) const {
    return job.BackupRoot + "DATABASEBACKUP\\ZIP\\";
  }
  std::string OtherBase(const TBackupJob& job) const {
    return job.BackupRoot + "DATABASEBACKUP\\ZIPOTHER\\";
  }

  TTempDir dir_;
  std::string db_;
  test::TFakeClock clock_;
  TJobHarness harness_;
};

TEST_F(ArchiveSetTest, PartsAreSplitAtTheLimit) {
  for (const char* name : {"A.ADT", "B.ADT", "C.ADT"})
    WriteBytes(db_ + name, std::string(400, 'x'));
  auto job = Job();
  job->SetPartLimitForTest(1000);
  TArchiveSetResult result = job->BuildArchiveSet(TArchiveKind::Database, 50);
  ASSERT_TRUE(result.Created);
  ASSERT_EQ(result.Error, "");
  std::string set = ZipBase(*job) + "04-05-2031-10-11-12\\";
  ASSERT_EQ(job->ArchiveFiles(),
            (TStringList{set + "datenbank.zip", set + "datenbank Teil[2].zip"}));
  auto first = ListZip(ReadBytes(job->ArchiveFiles()[0]));
  auto second = ListZip(ReadBytes(job->ArchiveFiles()[1]));
  EXPECT_EQ(first.Names.size(), 2u);
  EXPECT_EQ(second.Names.size(), 1u);
  KeepForReaders(job->ArchiveFiles()[0], "split1");
  KeepForReaders(job->ArchiveFiles()[1], "split2");
}

TEST_F(ArchiveSetTest, ExactlyTheLimitStaysInOnePart) {
  WriteBytes(db_ + "A.ADT", std::string(500, 'x'));
  WriteBytes(db_ + "B.ADM", std::string(500, 'y'));
  auto job = Job();
  job->SetPartLimitForTest(1000);
  job->BuildArchiveSet(TArchiveKind::Database, 50);
  ASSERT_EQ(job->ArchiveFiles().size(), 1u);
  EXPECT_EQ(ListZip(ReadBytes(job->ArchiveFiles()[0])).Names.size(), 2u);
  KeepForReaders(job->ArchiveFiles()[0], "exact");
}

TEST_F(ArchiveSetTest, OversizedFilesGetAPartOfTheirOwn) {
  WriteBytes(db_ + "GROSS.ADT", std::string(1500, 'g'));
  auto job = Job();
  job->SetPartLimitForTest(1000);
  job->BuildArchiveSet(TArchiveKind::Database, 50);
  ASSERT_EQ(job->ArchiveFiles().size(), 2u);  // an empty first part, then the big file
  EXPECT_EQ(ListZip(ReadBytes(job->ArchiveFiles()[0])).Names.size(), 0u);
  EXPECT_EQ(ListZip(ReadBytes(job->ArchiveFiles()[1])).Names,
            std::vector<std::string>{"GROSS.ADT"});
  KeepForReaders(job->ArchiveFiles()[0], "emptyfirst");
  KeepForReaders(job->ArchiveFiles()[1], "big");

  WriteBytes(db_ + "A.ADT", std::string(100, 'a'));
  WriteBytes(db_ + "B.ADT", std::string(100, 'b'));
  clock_.Set(test::MakeTime(2031, 5, 5, 10, 0, 0));
  job->BuildArchiveSet(TArchiveKind::Database, 50);
  std::multiset<std::string> all;
  for (const auto& part : job->ArchiveFiles()) {
    auto names = ListZip(ReadBytes(part)).Names;
    bool hasBig = std::find(names.begin(), names.end(), "GROSS.ADT") != names.end();
    EXPECT_TRUE(!hasBig || names.size() == 1u) << "the big file shares its part";
    all.insert(names.begin(), names.end());
  }
  EXPECT_EQ(all, (std::multiset<std::string>{"A.ADT", "B.ADT", "GROSS.ADT"}));
}

TEST_F(ArchiveSetTest, ExtensionsDecideTheSet) {
  for (const char* name :
       {"K.ADT", "K.adm", "K.Adi", "x.MD5", "x.Bak", "x.TMP", "Brief.doc", "ohne"})
    WriteBytes(db_ + name, name);
  WriteBytes(db_ + "Unter\\Vorlage.txt", "v");
  WriteBytes(db_ + "Unter\\Tief\\T.ADT", "t");
  auto job = Job();
  job->BuildArchiveSet(TArchiveKind::Database, 50);
  auto data = ListZip(ReadBytes(job->ArchiveFiles().at(0))).Names;
  std::sort(data.begin(), data.end());
  EXPECT_EQ(data,
            (std::vector<std::string>{"K.ADT", "K.Adi", "K.adm", "Unter/Tief/T.ADT", "x.MD5"}));
  KeepForReaders(job->ArchiveFiles()[0], "data");
  job->BuildArchiveSet(TArchiveKind::Other, 10);
  auto other = ListZip(ReadBytes(job->ArchiveFiles().at(0))).Names;
  std::sort(other.begin(), other.end());
  EXPECT_EQ(other, (std::vector<std::string>{"Brief.doc", "Unter/Vorlage.txt", "ohne", "x.MD5"}));
  KeepForReaders(job->ArchiveFiles()[0], "other");
}

TEST_F(ArchiveSetTest, SecondRunOnTheSameDayOnlyPointsToTheSets) {
  TLocalTime realNow = SystemClock().LocalNow();
  clock_.Set(realNow);  // folders are made today, by the real clock
  adtgen::TTableFiles table = adtgen::Build(adtgen::ArticleTable(5, false));
  WriteBytes(db_ + "ARTIKEL.ADT", table.Adt);
  WriteBytes(db_ + "Brief.txt", "b");
  auto first = Job();
  first->Run();
  TJobHarness second;
  TJobReport final = second.RunJob(dir_ / "Ziel", db_);
  TStringList lines = WithoutTimes(final.Text);
  std::string zip = first->BackupRoot + "DATABASEBACKUP\\ZIP\\";
  std::string other = first->BackupRoot + "DATABASEBACKUP\\ZIPOTHER\\";
  ASSERT_EQ(lines.size(), 6u) << final.Text;
  EXPECT_EQ(lines[2], Plain("Alle Ziparchive der Datenbank finden Sie hier " + Link(zip) + "."));
  EXPECT_EQ(lines[3],
            Plain("Alle Ziparchive der anderen Dateien finden Sie hier " + Link(other) + "."));
  EXPECT_EQ(FilesIn(zip).size(), 1u);
}

TEST_F(ArchiveSetTest, OldestSetFolderGoesWhenFiftyExist) {
  WriteBytes(db_ + "A.ADT", "a");
  auto job = Job();
  std::string base = ZipBase(*job);
  for (int i = 0; i < 50; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "01-01-2031-10-00-%02d", i);
    ASSERT_TRUE(ForceFolders(base + name));
    Sleep(2);
  }
  job->BuildArchiveSet(TArchiveKind::Database, 50);
  auto folders = FilesIn(base);
  EXPECT_EQ(folders.size(), 50u);
  EXPECT_EQ(std::count(folders.begin(), folders.end(), "01-01-2031-10-00-00"), 0)
      << "the earliest made is gone";
  EXPECT_EQ(std::count(folders.begin(), folders.end(), "04-05-2031-10-11-12"), 1);
}

TEST_F(ArchiveSetTest, UnreadableSourceRemovesTheSetAndIsReported) {
  test::TRecordingSleeper sleeper;
  adtgen::TTableFiles table = adtgen::Build(adtgen::ArticleTable(5, false));
  WriteBytes(db_ + "ARTIKEL.ADT", table.Adt);
  WriteBytes(db_ + "gesperrt.adi", "x");  // taken by the database set only
  test::THeldFile locked(db_ + "gesperrt.adi", GENERIC_READ | GENERIC_WRITE, 0);
  TJobReport final = harness_.RunJob(dir_ / "Ziel", db_);
  EXPECT_TRUE(final.Failed);
  TStringList lines = WithoutTimes(final.Text);
  std::string error = "Datei " + db_ + "gesperrt.adi kann nicht geöffnet werden";
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "<b>: <FONT color=\"#FF0000\">Problem beim Erstellen der Zip-Datei: \"" +
                          error + "\"</FONT>"),
            lines.end())
      << final.Text;
  auto job = Job();
  EXPECT_TRUE(FilesIn(ZipBase(*job)).empty()) << "the failed set is removed";
  EXPECT_EQ(FilesIn(OtherBase(*job)).size(), 1u) << "the other set still made";
}

TEST_F(ArchiveSetTest, SetThatCannotTakeItsNameIsReportedAndRemoved) {
  test::TRecordingSleeper sleeper;
  WriteBytes(db_ + "A.ADT", "a");
  auto job = Job();
  std::string set = ZipBase(*job) + "04-05-2031-10-11-12\\";
  WriteBytes(set + "datenbank.zip", "someone else's");  // the stamp name is taken
  TArchiveSetResult result = job->BuildArchiveSet(TArchiveKind::Database, 50);
  EXPECT_TRUE(result.Created);
  EXPECT_EQ(result.Error.rfind("Verzeichnis " + ZipBase(*job) + "04-05-2031-10-11-12" +
                                   kUnfinishedSetSuffix + " kann nicht in " + ZipBase(*job) +
                                   "04-05-2031-10-11-12 umbenannt werden: ",
                               0),
            0u)
      << result.Error;
  EXPECT_TRUE(sleeper.pauses.empty()) << "a name that is taken stays taken";
  EXPECT_TRUE(job->ArchiveFiles().empty());
  EXPECT_EQ(FilesIn(ZipBase(*job)), std::vector<std::string>{"04-05-2031-10-11-12"});
  EXPECT_EQ(ReadBytes(set + "datenbank.zip"), "someone else's");
}

TEST_F(ArchiveSetTest, ProtocolLinesOfAWholeJob) {
  adtgen::TTableFiles table = adtgen::Build(adtgen::CustomerTable(7));
  WriteBytes(db_ + "KUNDEN.ADT", table.Adt);
  WriteBytes(db_ + "KUNDEN.ADM", table.Adm);
  WriteBytes(db_ + "KUNDEN.ADI", table.Adi);
  WriteBytes(db_ + "Brief.txt", "b");
  TJobReport final = harness_.RunJob(dir_ / "Ziel", db_);
  EXPECT_FALSE(final.Failed);
  auto job = Job();
  std::string zipSet = ZipBase(*job) + "04-05-2031-10-11-12\\";
  std::string otherSet = OtherBase(*job) + "04-05-2031-10-11-12\\";
  EXPECT_EQ(WithoutTimes(final.Text),
            test::SoundRunLines(db_, job->BackupRoot, "04-05-2031-10-11-12"));
  KeepForReaders(zipSet + "datenbank.zip", "job-data");
  KeepForReaders(otherSet + "andere.zip", "job-other");
}

TEST_F(ArchiveSetTest, TargetInsideTheDatabaseFolder) {
  adtgen::TTableFiles table = adtgen::Build(adtgen::ArticleTable(3, false));
  WriteBytes(db_ + "A.ADT", table.Adt);
  // A folder of the user's that only bears the tree's name is packed.
  WriteBytes(db_ + "DatabaseBackup\\Eigene\\B.ADT", table.Adt);
  TJobHarness harness;
  TJobReport final = harness.RunJob(db_ + "Sicherung", db_);
  EXPECT_FALSE(final.Failed) << final.Text;
  TBackupJob job(db_ + "Sicherung", harness.Channel(), db_);
  std::string zip = job.BackupRoot + "DATABASEBACKUP\\ZIP\\04-05-2031-10-11-12\\datenbank.zip";
  // The database's own tables: neither the part being written nor the backup
  // tree's table copies, or every day's set would hold the earlier ones.
  EXPECT_EQ(ListZip(ReadBytes(zip)).Names,
            (std::vector<std::string>{"A.ADT", "DatabaseBackup/Eigene/B.ADT"}));
  KeepForReaders(zip, "inside");
}

// Stands in for a process that is killed while it writes the first part: a
// torn part stays behind and none of the job's own clean-up runs.
struct TKilled {};
class TKilledWriter final : public IArchiveWriter {
 public:
  void CreateArchive(const std::string& path) override {
    WriteBytes(path, std::string("PK\x03\x04\x14\x00", 6));
    throw TKilled{};
  }
  void SetBaseFolder(const std::string&) override {}
  bool TakeOverFrom(const std::vector<std::string>&) override { return false; }
  bool AddFile(const std::string&) override { return true; }
  void Close() override {}
};
// The real files, with one step changed by a subclass.
class TFilesAround : public IJobFiles {
 public:
  explicit TFilesAround(std::shared_ptr<IJobFiles> real) : real_(std::move(real)) {}
  bool ForceFolders(const std::string& f) override { return real_->ForceFolders(f); }
  bool IsExistingFile(const std::string& p) override { return real_->IsExistingFile(p); }
  bool IsExistingFolder(const std::string& f) override { return real_->IsExistingFolder(f); }
  void Walk(const std::string& f, bool r, const std::function<void(const TWalkItem&)>& v) override {
    real_->Walk(f, r, v);
  }
  bool CopyFile(const std::string& s, const std::string& t, std::string& why) override {
    return real_->CopyFile(s, t, why);
  }
  bool DeleteFile(const std::string& p) override { return real_->DeleteFile(p); }
  void DeleteFolderTree(const std::string& f) override { real_->DeleteFolderTree(f); }
  void RenameFolder(const std::string& a, const std::string& b) override {
    real_->RenameFolder(a, b);
  }
  std::unique_ptr<IArchiveWriter> NewArchiveWriter() override { return real_->NewArchiveWriter(); }

 private:
  std::shared_ptr<IJobFiles> real_;
};

class TKillingFiles final : public TFilesAround {
 public:
  using TFilesAround::TFilesAround;
  std::unique_ptr<IArchiveWriter> NewArchiveWriter() override {
    return std::make_unique<TKilledWriter>();
  }
};

// Files or folders that go away after the archive step listed them.
class TVanishingFiles final : public TFilesAround {
 public:
  TVanishingFiles(std::shared_ptr<IJobFiles> real, std::string vanishing)
      : TFilesAround(std::move(real)), vanishing_(std::move(vanishing)) {}
  void Walk(const std::string& f, bool r, const std::function<void(const TWalkItem&)>& v) override {
    TFilesAround::Walk(f, r, v);
    if (r) std::filesystem::remove_all(std::filesystem::path(Widen(vanishing_)));
  }

 private:
  std::string vanishing_;
};

// A set folder held for a moment (a scanner reading the new part) when it takes its name.
class THeldOnceFolders final : public TFilesAround {
 public:
  using TFilesAround::TFilesAround;
  void RenameFolder(const std::string& a, const std::string& b) override {
    if (refusals_-- > 0)
      throw EFileError("Verzeichnis " + a + " kann nicht in " + b + " umbenannt werden", 5);
    TFilesAround::RenameFolder(a, b);
  }

 private:
  int refusals_ = 2;
};

TEST_F(ArchiveSetTest, SetFolderHeldForAMomentStillBecomesTheDaysSet) {
  test::TRecordingSleeper sleeper;
  WriteBytes(db_ + "A.ADT", "tabelle");
  TJobSystem held = DefaultJobSystem();
  held.Files = std::make_shared<THeldOnceFolders>(held.Files);
  TBackupJob job(dir_ / "Ziel", harness_.Channel(), db_, held);
  TArchiveSetResult result = job.BuildArchiveSet(TArchiveKind::Database, 50);
  EXPECT_TRUE(result.Created);
  EXPECT_EQ(result.Error, "");
  EXPECT_EQ(sleeper.pauses, (std::vector<unsigned>{100, 200}));
  std::vector<std::string> sets = FilesIn(ZipBase(job));
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0], "04-05-2031-10-11-12");
  std::string part = ZipBase(job) + sets[0] + "\\datenbank.zip";
  ASSERT_EQ(job.ArchiveFiles(), TStringList{part});
  auto listing = ListZip(ReadBytes(part));
  EXPECT_EQ(listing.Names, std::vector<std::string>{"A.ADT"});
  KeepForReaders(part, "held-once");
}

TEST_F(ArchiveSetTest, RunInterruptedInsideTheFirstPartLeavesNoSetBehind) {
  clock_.Set(SystemClock().LocalNow());  // folders are made today, by the real clock
  adtgen::TTableFiles table = adtgen::Build(adtgen::ArticleTable(5, false));
  WriteBytes(db_ + "ARTIKEL.ADT", table.Adt);
  WriteBytes(db_ + "Brief.txt", "b");
  TJobSystem killing = DefaultJobSystem();
  killing.Files = std::make_shared<TKillingFiles>(killing.Files);
  TBackupJob interrupted(dir_ / "Ziel", harness_.Channel(), db_, killing);
  interrupted.Run();
  EXPECT_TRUE(harness_.FinalFor(db_).Failed) << "an interrupted run never ends green";

  TJobHarness second;
  TJobReport final = second.RunJob(dir_ / "Ziel", db_);  // the same day
  EXPECT_FALSE(final.Failed) << final.Text;
  TStringList lines = WithoutTimes(final.Text);
  EXPECT_NE(std::find(lines.begin(), lines.end(), Plain("Daten-Ziparchiv erstellen..")),
            lines.end())
      << final.Text;
  int archives = 0;
  for (const std::string& base : {ZipBase(interrupted), OtherBase(interrupted)}) {
    auto sets = FilesIn(base);
    ASSERT_EQ(sets.size(), 1u) << base;
    EXPECT_EQ(sets[0].find(kUnfinishedSetSuffix), std::string::npos);
    for (const std::string& part : FilesIn(base + sets[0] + "\\")) {
      std::string path = base + sets[0] + "\\" + part;
      EXPECT_FALSE(ListZip(ReadBytes(path)).Names.empty()) << path;
      KeepForReaders(path, "interrupted-" + std::to_string(++archives));
    }
  }
  EXPECT_EQ(archives, 2);
}

TEST_F(ArchiveSetTest, FileRemovedAfterTheListingIsLeftOutAfterAShortLook) {
  test::TRecordingSleeper sleeper;
  adtgen::TTableFiles table = adtgen::Build(adtgen::ArticleTable(5, false));
  WriteBytes(db_ + "ARTIKEL.ADT", table.Adt);
  WriteBytes(db_ + "ARTIKEL.ADT.~tmp.adi", "x");  // taken by the database set
  WriteBytes(db_ + "Brief.txt", "b");
  TJobSystem system = DefaultJobSystem();
  system.Files = std::make_shared<TVanishingFiles>(system.Files, db_ + "ARTIKEL.ADT.~tmp.adi");
  TBackupJob job(dir_ / "Ziel", harness_.Channel(), db_, system);
  job.Run();
  TJobReport final = harness_.FinalFor(db_);
  EXPECT_FALSE(final.Failed) << final.Text;
  EXPECT_EQ(sleeper.pauses, std::vector<unsigned>(4, 100))
      << "a file that is gone is looked for five times, not waited for";
  std::map<std::string, std::vector<std::string>> expected = {{ZipBase(job), {"ARTIKEL.ADT"}},
                                                              {OtherBase(job), {"Brief.txt"}}};
  for (const auto& [base, names] : expected) {
    auto sets = FilesIn(base);
    ASSERT_EQ(sets.size(), 1u) << base;
    auto parts = FilesIn(base + sets[0] + "\\");
    ASSERT_EQ(parts.size(), 1u) << base;
    std::string part = base + sets[0] + "\\" + parts[0];
    EXPECT_EQ(ListZip(ReadBytes(part)).Names, names) << part;
    KeepForReaders(part, "vanished-" + parts[0]);
  }
}

TEST_F(ArchiveSetTest, DatabaseFolderGoneDuringTheArchiveStepFailsTheSet) {
  test::TRecordingSleeper sleeper;
  WriteBytes(db_ + "A.ADT", "a");
  WriteBytes(db_ + "Brief.txt", "b");
  TJobSystem system = DefaultJobSystem();
  system.Files = std::make_shared<TVanishingFiles>(system.Files, db_);  // a share that went away
  TBackupJob job(dir_ / "Ziel", harness_.Channel(), db_, system);
  ForceFolders(job.BackupRoot);
  TArchiveSetResult result = job.BuildArchiveSet(TArchiveKind::Other, 10);
  EXPECT_TRUE(result.Created);
  EXPECT_NE(result.Error.find("Brief.txt"), std::string::npos) << result.Error;
  EXPECT_TRUE(FilesIn(OtherBase(job)).empty()) << "no empty set stands for the day";
}

// A share gone before the archive step lists as an empty folder: that is no
// empty set for the day, and the oldest set stays.
TEST_F(ArchiveSetTest, DatabaseFolderGoneBeforeTheArchiveStepFailsTheSet) {
  WriteBytes(db_ + "Brief.txt", "b");
  auto job = Job();
  ForceFolders(OtherBase(*job) + "01-01-2031-10-00-00\\");
  std::filesystem::remove_all(std::filesystem::path(Widen(db_)));
  TArchiveSetResult result = job->BuildArchiveSet(TArchiveKind::Other, 1);
  EXPECT_TRUE(result.Created);
  EXPECT_EQ(result.Error, "Das Datenbankverzeichnis " + db_ + " ist nicht erreichbar");
  EXPECT_EQ(FilesIn(OtherBase(*job)), std::vector<std::string>{"01-01-2031-10-00-00"});
}

TEST_F(ArchiveSetTest, ProgressLinesUseThousandsSeparators) {
  for (int i = 0; i < 1100; ++i) WriteBytes(db_ + "T" + std::to_string(i) + ".ADT", "x");
  test::TSteppingClock stepping(test::MakeTime(2031, 5, 4, 10, 11, 12), 6000);
  SetClockForTest(&stepping);
  auto job = Job();
  job->BuildArchiveSet(TArchiveKind::Database, 50);
  auto progress = harness_.ProgressFor(job->DatabaseDir);
  EXPECT_NE(std::find(progress.begin(), progress.end(),
                      "<b>1.000</b> von <b>1.100 </b>zippen.. [" + db_ + "]"),
            progress.end());
  EXPECT_EQ(std::count_if(progress.begin(), progress.end(),
                          [](const std::string& p) { return p.rfind("<b>0</b>", 0) == 0; }),
            0);
  KeepForReaders(job->ArchiveFiles().at(0), "many");
}

TEST(ArchiveSetRealLimit, SparseFilesAtTheRealGigabyteLimit) {
  if (!std::getenv("QV_SLOW_TESTS")) GTEST_SKIP() << "slow: set QV_SLOW_TESTS";
  TTempDir dir;
  std::string db = dir / "Daten\\";
  CreateDirectoryW(Widen(db).c_str(), nullptr);
  const std::pair<const char*, std::int64_t> files[] = {
      {"A.ADT", 644245094}, {"B.ADT", 322122547}, {"C.ADT", 322122547}};  // 0.6, 0.3, 0.3 GiB
  for (auto [name, size] : files) {
    HANDLE h =
        CreateFileW(Widen(db + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
  }
  TJobHarness harness;
  TBackupJob job(dir / "Ziel", harness.Channel(), db);
  ForceFolders(job.BackupRoot);
  job.BuildArchiveSet(TArchiveKind::Database, 50);
  ASSERT_EQ(job.ArchiveFiles().size(), 2u);
  std::uint64_t total = 0;
  for (const auto& part : job.ArchiveFiles()) {
    std::uint64_t inPart = 0;
    for (auto size : ListZip(ReadBytes(part)).Sizes) inPart += size;
    EXPECT_LE(inPart, 1ull << 30);
    total += inPart;
    KeepForReaders(part, "gigabyte" + std::to_string(total));
  }
  EXPECT_EQ(total, 644245094ull + 2 * 322122547ull);
}

}  // namespace
}  // namespace qv
