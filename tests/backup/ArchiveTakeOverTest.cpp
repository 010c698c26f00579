// The second day's set, made while the first day's set lies beside it: the
// files that did not change are taken over from it, and the set is the same,
// byte for byte, as one made without it.
#include <gtest/gtest.h>

#include <functional>

#include "JobHarness.h"
#include "KeptArchives.h"
#include "OfficeRecords.h"
#include "TestClock.h"
#include "WinTestSupport.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"
#include "zip/ZipReader.h"
#include "zip/ZipVerify.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

using test::KeepForReaders;
using test::OfficeRecords;
using test::ReadBytes;
using test::WriteBytes;

constexpr std::uint64_t kWholeSet = 1ull << 30;
constexpr std::uint64_t kSmallParts = 200000;

struct TDaySet {
  std::string Folder;
  std::vector<std::string> Parts;  // paths, in order
};

std::uint64_t CompressedSize(const std::string& part, const std::string& name) {
  TFileStream in(part, TFileAccess::Read, TFileShare::DenyWrite);
  for (const TStoredEntry& e : ReadCentralDirectory(in))
    if (e.Name == name) return e.Compressed;
  return 0;
}

bool Sound(const std::string& part) {
  TFileStream in(part, TFileAccess::Read, TFileShare::DenyWrite);
  return VerifyArchive(in).Sound();
}

class ArchiveTakeOverTest : public testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_ / "Daten\\";
    SetClockForTest(&clock_);
    // Yesterday's files; today some change (WriteToday).
    WriteBytes(db_ + "KUNDEN.ADT", OfficeRecords(600000, 1));
    WriteBytes(db_ + "KUNDEN.ADM", OfficeRecords(150000, 2));
    WriteBytes(db_ + "Archiv\\2030.ADT", OfficeRecords(120000, 3));
    WriteBytes(db_ + "LETZTES.ADT", OfficeRecords(80000, 4));
    WriteBytes(db_ + "GLEICH.ADI", OfficeRecords(60000, 5));
    WriteBytes(db_ + "WEG.ADT", OfficeRecords(40000, 6));
    WriteBytes(db_ + "LEER.ADT", "");
  }
  void TearDown() override { SetClockForTest(nullptr); }

  // One changed only in its last byte, one of the same size with another
  // content, one new, one gone; the rest as yesterday.
  void WriteToday() {
    std::string last = OfficeRecords(80000, 4);
    last.back() ^= 0x01;
    WriteBytes(db_ + "LETZTES.ADT", last);
    WriteBytes(db_ + "GLEICH.ADI", OfficeRecords(60000, 50));
    WriteBytes(db_ + "NEU.ADT", OfficeRecords(70000, 7));
    DeleteFileW(Widen(db_ + "WEG.ADT").c_str());
  }

  TDaySet DaySet(const std::string& target, int day, std::uint64_t partLimit) {
    clock_.Set(test::MakeTime(2031, 5, day, 10, 0, 0));
    TBackupJob job(target, harness_.Channel(), db_);
    ForceFolders(job.BackupRoot);
    job.SetPartLimitForTest(partLimit);
    TArchiveSetResult result = job.BuildArchiveSet(TArchiveKind::Database, kDatabaseSetsKept);
    EXPECT_TRUE(result.Created);
    EXPECT_EQ(result.Error, "");
    return {job.BackupRoot + "DATABASEBACKUP\\ZIP\\" + Stamp(day) + "\\", job.ArchiveFiles()};
  }
  static std::string Stamp(int day) { return "0" + std::to_string(day) + "-05-2031-10-00-00"; }

  test::TTempDir dir_;
  std::string db_;
  test::TFakeClock clock_;
  test::TJobHarness harness_;
};

TEST_F(ArchiveTakeOverTest, SecondDaySetIsTheSameAsOneMadeWithoutTheFirst) {
  using TDamage = std::function<void(const TDaySet&)>;
  struct TCase {
    const char* Label;
    bool FirstDay;
    std::uint64_t FirstDayParts;
    TDamage Damage;
  } cases[] = {
      {"one part", true, kWholeSet, nullptr},
      {"split into parts", true, kSmallParts, nullptr},
      {"flipped byte inside an entry", true, kWholeSet,
       [](const TDaySet& set) {
         std::string bytes = ReadBytes(set.Parts[0]);
         bytes[bytes.size() / 3] ^= 0x20;  // inside the first, largest entry's data
         WriteBytes(set.Parts[0], bytes);
       }},
      {"a part cut short", true, kSmallParts,
       [](const TDaySet& set) {
         std::string bytes = ReadBytes(set.Parts.back());
         WriteBytes(set.Parts.back(), bytes.substr(0, bytes.size() - 10));
       }},
      {"empty", true, kWholeSet,
       [](const TDaySet& set) {
         for (const std::string& part : set.Parts) DeleteFileW(Widen(part).c_str());
       }},
      {"missing", false, kWholeSet, nullptr},
  };
  std::vector<std::string> targets;
  for (const TCase& c : cases) {
    targets.push_back(dir_ / ("Ziel-" + std::to_string(targets.size())));
    if (!c.FirstDay) continue;
    TDaySet first = DaySet(targets.back(), 4, c.FirstDayParts);
    if (c.Damage) c.Damage(first);
  }
  WriteToday();
  TDaySet reference = DaySet(dir_ / "Ohne", 5, kSmallParts);
  ASSERT_GE(reference.Parts.size(), 3u);
  for (size_t i = 0; i < targets.size(); ++i) {
    TDaySet today = DaySet(targets[i], 5, kSmallParts);
    ASSERT_EQ(today.Parts.size(), reference.Parts.size()) << cases[i].Label;
    for (size_t p = 0; p < today.Parts.size(); ++p) {
      EXPECT_EQ(ReadBytes(today.Parts[p]), ReadBytes(reference.Parts[p]))
          << cases[i].Label << ", part " << p + 1;
      EXPECT_TRUE(Sound(today.Parts[p])) << cases[i].Label;
    }
  }
  for (size_t p = 0; p < reference.Parts.size(); ++p)
    KeepForReaders(reference.Parts[p], "secondday" + std::to_string(p + 1));
}

// Yesterday's set written with smaller deflate blocks than the program's
// shows what was taken over: those entries keep its compressed bytes.
TEST_F(ArchiveTakeOverTest, UnchangedFilesKeepTheFirstDaysCompressedBytes) {
  TDaySet first = DaySet(dir_ / "Ziel", 4, kWholeSet);
  {
    TZipWriter marked;
    marked.BlockSize = 4096;
    marked.CreateArchive(first.Parts[0]);
    marked.SetBaseFolder(db_);
    for (const char* name : {"KUNDEN.ADT", "LETZTES.ADT", "GLEICH.ADI"}) marked.AddFile(db_ + name);
    marked.Close();
  }
  std::uint64_t markedSize = CompressedSize(first.Parts[0], "KUNDEN.ADT");
  WriteToday();
  TDaySet reference = DaySet(dir_ / "Ohne", 5, kWholeSet);
  TDaySet today = DaySet(dir_ / "Ziel", 5, kWholeSet);
  ASSERT_NE(markedSize, CompressedSize(reference.Parts[0], "KUNDEN.ADT"));
  EXPECT_EQ(CompressedSize(today.Parts[0], "KUNDEN.ADT"), markedSize);
  for (const char* changed : {"LETZTES.ADT", "GLEICH.ADI", "KUNDEN.ADM"})
    EXPECT_EQ(CompressedSize(today.Parts[0], changed), CompressedSize(reference.Parts[0], changed))
        << changed;
  EXPECT_TRUE(Sound(today.Parts[0]));
  KeepForReaders(today.Parts[0], "takenover");
}

}  // namespace
}  // namespace qv
