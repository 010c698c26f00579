#include <gtest/gtest.h>

#include <thread>

#include "AdtGen.h"
#include "JobHarness.h"
#include "ProtocolLines.h"
#include "WinTestSupport.h"
#include "util/FileUtils.h"

namespace qv {
namespace {

using test::Exists;
using test::ReadBytes;
using test::THeldFile;
using test::TJobHarness;
using test::TTempDir;
using test::WithoutTimes;
using test::WriteBytes;
using namespace adtgen;

constexpr char kExplanation[] =
    "Wenn sich diese Tabelle normal benutzen lässt, können Sie diese Meldung ignorieren. "
    "Möglicherweise wurde im Moment der Überprüfung ein Schreibzugriff auf diese Tabelle "
    "ausgeführt. Bei einem tatsächlichen Defekt können Sie die Ihre Datenbank durch die aus dem "
    "Sicherungsverzeichnis ersetzen. Erstellen Sie aber vorher eine Sicherheitskopie der "
    "Orignaldatenbank!";

using test::Plain;
using test::Red;

void WriteTable(const std::string& dir, const std::string& base, const TTableFiles& files,
                const std::string& memoExt = ".ADM", const std::string& indexExt = ".ADI") {
  WriteBytes(dir + base + ".ADT", files.Adt);
  if (files.HasAdm) WriteBytes(dir + base + memoExt, files.Adm);
  if (files.HasAdi) WriteBytes(dir + base + indexExt, files.Adi);
}

int ScratchFolderCount() {
  std::string root = TempSubfolder("");
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(root + "Quorvel-*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

class TableCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_ / "Firma\\Daten\\";
    target_ = dir_ / "Ziel";
    CreateDirectoryW(Widen(dir_ / "Firma").c_str(), nullptr);
    CreateDirectoryW(Widen(db_).c_str(), nullptr);
    CreateDirectoryW(Widen(target_).c_str(), nullptr);
    scratchBefore_ = ScratchFolderCount();
  }
  void TearDown() override {
    EXPECT_EQ(ScratchFolderCount(), scratchBefore_) << "scratch folder left";
  }
  std::string Root() const { return target_ + "\\" + CleanRoot() + "\\"; }
  std::string CleanRoot() const {
    std::string d = db_.substr(0, db_.size() - 1);
    std::string out;
    for (char c : d) out += (c == '\\' || c == ':') ? '_' : c;
    return out;
  }
  std::string Success(const std::string& folder) const {
    std::string path = Root() + folder;
    return Plain(
        "Alle Tabellen scheinen in Ordnung zu sein. Die letzte funktionierende Sicherung finden "
        "Sie in "
        "<a href=\"file://" +
        path + "\">" + path + "</a>.");
  }

  TTempDir dir_;
  test::TPrivateTempFolder tmp_{dir_ /
                                "tmp"};  // scratch folders of other test programs do not count
  std::string db_, target_;
  TJobHarness harness_;
  int scratchBefore_ = 0;
};

TEST_F(TableCheckTest, SoundDatabaseIsCopiedIntoDataAndData2) {
  WriteTable(db_, "KUNDEN", Build(CustomerTable(50)), ".adm", ".adi");
  WriteTable(db_, "ARTIKEL", Build(ArticleTable(20, true)));
  TTableSpec notes = CustomerTable(5);
  notes.WithIndex = false;
  WriteTable(db_, "NOTIZEN", Build(notes));
  TTableFiles lager = Build(ArticleTable(3, false));
  WriteBytes(db_ + "lager.adt", lager.Adt);
  WriteBytes(db_ + "Brief.txt", "kein Teil der Sicherung");
  std::string liveBefore = ReadBytes(db_ + "KUNDEN.ADT");

  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_FALSE(final.Failed);
  TStringList lines = WithoutTimes(final.Text);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], Plain("Datenbank \"" + db_ + "\" überprüfen.."));
  EXPECT_EQ(lines[1], Success("DATABASEBACKUP\\DATA2\\"));
  EXPECT_EQ(lines[lines.size() - 2], Plain("Datenbank \"" + db_ + "\" fertig."));
  EXPECT_EQ(lines.back(), "<hr>");
  for (const char* file : {"KUNDEN.ADT", "KUNDEN.ADM", "KUNDEN.ADI", "ARTIKEL.ADT", "ARTIKEL.ADI",
                           "NOTIZEN.ADT", "NOTIZEN.ADM", "lager.ADT"}) {
    std::string live = ReadBytes(db_ + file);
    ASSERT_NE(live, "<missing>") << file;
    EXPECT_EQ(ReadBytes(Root() + "DATABASEBACKUP\\DATA\\" + file), live) << file;
    EXPECT_EQ(ReadBytes(Root() + "DATABASEBACKUP\\DATA2\\" + file), live) << file;
  }
  EXPECT_FALSE(Exists(Root() + "DATABASEBACKUP\\DATA\\Brief.txt"));
  EXPECT_EQ(ReadBytes(db_ + "KUNDEN.ADT"), liveBefore);
  auto progress = harness_.ProgressFor(db_);
  EXPECT_NE(std::find(progress.begin(), progress.end(), "Prüfen: \"KUNDEN.ADT\" [" + db_ + "]"),
            progress.end());
  EXPECT_NE(std::find(progress.begin(), progress.end(), "Prüfen: \"lager.adt\" [" + db_ + "]"),
            progress.end());
}

TEST_F(TableCheckTest, DamagedTableIsReportedAndTheOthersAreStillCopied) {
  WriteTable(db_, "ADRESSEN", Build(ArticleTable(4, false)));
  TTableFiles broken = Build(CustomerTable(10));
  ApplyDamage(broken, TDamage::CutMidRecord);
  WriteTable(db_, "KUNDEN", broken);
  WriteTable(db_, "ZAHLUNG", Build(ArticleTable(6, false)));
  // The last sound copy of KUNDEN from an earlier run must survive.
  WriteBytes(Root() + "DATABASEBACKUP\\DATA\\KUNDEN.ADT", "earlier sound copy");

  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_TRUE(final.Failed);
  TStringList lines = WithoutTimes(final.Text);
  std::string problem = "Problem in Tabelle \"KUNDEN\" : Error 7016:  ";
  ASSERT_EQ(lines.size(), 5u) << final.Text;
  EXPECT_EQ(lines[1].rfind("<b>: <FONT color=\"#FF0000\">" + problem, 0), 0u) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("KUNDEN.ADT</FONT>")) << lines[1];
  EXPECT_EQ(lines[2], Red(kExplanation));
  EXPECT_EQ(lines[3], Plain("Datenbank \"" + db_ + "\" fertig."));
  EXPECT_EQ(ReadBytes(Root() + "DATABASEBACKUP\\DATA\\KUNDEN.ADT"), "earlier sound copy");
  EXPECT_FALSE(Exists(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADT"));
  EXPECT_TRUE(Exists(Root() + "DATABASEBACKUP\\DATA2\\ADRESSEN.ADT"));
  EXPECT_TRUE(Exists(Root() + "DATABASEBACKUP\\DATA2\\ZAHLUNG.ADT"));
}

TEST_F(TableCheckTest, LiveFilesHeldWithSharingStillCheck) {
  WriteTable(db_, "KUNDEN", Build(CustomerTable(20)));
  THeldFile office(db_ + "KUNDEN.ADT", GENERIC_READ | GENERIC_WRITE,
                   FILE_SHARE_READ | FILE_SHARE_WRITE);
  THeldFile memo(db_ + "KUNDEN.ADM", GENERIC_READ | GENERIC_WRITE,
                 FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(office.Held());
  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_FALSE(final.Failed) << final.Text;
  EXPECT_EQ(ReadBytes(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADM"), ReadBytes(db_ + "KUNDEN.ADM"));
}

TEST_F(TableCheckTest, LiveFileHeldWithoutSharingIsAProblem) {
  WriteTable(db_, "KUNDEN", Build(CustomerTable(20)));
  THeldFile exclusive(db_ + "KUNDEN.ADM", GENERIC_READ | GENERIC_WRITE, 0);
  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_TRUE(final.Failed);
  TStringList lines = WithoutTimes(final.Text);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], Red("Problem in Tabelle \"KUNDEN\" : Datei " + db_ +
                          "KUNDEN.ADM kann nicht geöffnet werden"));
  EXPECT_FALSE(Exists(Root() + "DATABASEBACKUP\\DATA\\KUNDEN.ADT"));
}

TEST_F(TableCheckTest, TableWithEmptyBaseNameIsFoundButNotChecked) {
  WriteBytes(db_ + ".adt", Build(ArticleTable(2, false)).Adt);
  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_FALSE(final.Failed);
  std::string path = Root() + "unbekannt";
  EXPECT_EQ(WithoutTimes(final.Text)[1], Plain("Alle Tabellen scheinen in Ordnung zu sein. Die "
                                               "letzte funktionierende Sicherung finden Sie in "
                                               "<a href=\"file://" +
                                               path + "\">" + path + "</a>."));
}

TEST_F(TableCheckTest, FolderWithoutTablesAndMissingFolder) {
  WriteBytes(db_ + "readme.txt", "x");
  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_TRUE(final.Failed);
  EXPECT_EQ(WithoutTimes(final.Text),
            (TStringList{Plain("Datenbank \"" + db_ + "\" überprüfen.."),
                         Red("Datenbank nicht gefunden in " + db_),
                         Plain("Datenbank \"" + db_ + "\" fertig."), "<hr>"}));

  std::string missing = dir_ / "Weg";
  TJobReport gone = harness_.RunJob(target_, missing);
  EXPECT_TRUE(gone.Failed);
  EXPECT_EQ(WithoutTimes(gone.Text)[1], Red("Datenbank nicht gefunden in " + missing + "\\"));
}

TEST_F(TableCheckTest, UnwritableDataCopyIsReportedAndNotClaimed) {
  test::TRecordingSleeper sleeper;
  WriteTable(db_, "KUNDEN", Build(CustomerTable(20)));
  std::string dataCopy = Root() + "DATABASEBACKUP\\DATA\\KUNDEN.ADM";
  WriteBytes(dataCopy, "older");
  WriteBytes(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADM", "last good");
  THeldFile locked(dataCopy, GENERIC_READ, 0);
  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_TRUE(final.Failed);
  TStringList lines = WithoutTimes(final.Text);
  ASSERT_GE(lines.size(), 5u) << final.Text;
  // The line names the copy and the system's reason for the failure.
  std::string head = "Sicherungskopie \"" + dataCopy + "\" konnte nicht geschrieben werden: ";
  EXPECT_EQ(lines[1].rfind(Red(head).substr(0, Red(head).size() - 7), 0), 0u) << lines[1];
  EXPECT_GT(lines[1].size(), Red(head).size()) << "a reason follows";
  std::string path = Root() + "unbekannt";
  EXPECT_EQ(lines[2], Success("unbekannt"));
  locked.Release();
  EXPECT_EQ(ReadBytes(dataCopy), "older");
  EXPECT_EQ(ReadBytes(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADM"), "last good");
}

TEST_F(TableCheckTest, UnwritableData2CopyLeavesDataClaimed) {
  test::TRecordingSleeper sleeper;
  WriteTable(db_, "KUNDEN", Build(ArticleTable(20, false)));
  WriteBytes(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADT", "last good");
  THeldFile locked(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADT", GENERIC_READ, 0);
  TJobReport final = harness_.RunJob(target_, db_);
  EXPECT_TRUE(final.Failed);
  TStringList lines = WithoutTimes(final.Text);
  ASSERT_GE(lines.size(), 5u) << final.Text;
  EXPECT_EQ(lines[2], Success("DATABASEBACKUP\\DATA\\"));
}

TEST_F(TableCheckTest, TwoJobsOnDifferentDatabasesAtOnce) {
  std::string other = dir_ / "Zweite\\";
  WriteTable(db_, "KUNDEN", Build(CustomerTable(200)));
  WriteTable(other, "KUNDEN", Build(CustomerTable(300)));
  TJobReport first, second;
  std::thread a([&] { first = harness_.RunJob(target_, db_); });
  std::thread b([&] { second = harness_.RunJob(target_, other); });
  a.join();
  b.join();
  EXPECT_FALSE(first.Failed) << first.Text;
  EXPECT_FALSE(second.Failed) << second.Text;
  EXPECT_EQ(ReadBytes(Root() + "DATABASEBACKUP\\DATA2\\KUNDEN.ADT"), ReadBytes(db_ + "KUNDEN.ADT"));
}

}  // namespace
}  // namespace qv
