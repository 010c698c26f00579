#include <gtest/gtest.h>

#include "WinPump.h"
#include "WinTestSupport.h"
#include "backup/BackupJobPool.h"
#include "backup/AuxiliaryJobs.h"
#include "util/FileUtils.h"

namespace qv {
namespace {

using test::Exists;
using test::ReadBytes;
using test::THeldFile;
using test::TRecordingSleeper;
using test::TTempDir;
using test::WriteBytes;

// Every test gets a temporary folder of its own (cache folders live there).
class AuxiliaryJobsTest : public testing::Test {
 protected:
  void SetUp() override {
    channel_->SetPosterForTest([this](HWND, UINT message, WPARAM, LPARAM) {
      if (message == WM_OTHERJOBDONE) ++ends_;
      return TRUE;
    });
  }
  TTempDir dir_;
  test::TPrivateTempFolder tmp_{dir_ / "tmp"};
  std::shared_ptr<TJobChannel> channel_ = std::make_shared<TJobChannel>(nullptr);
  int ends_ = 0;
};

TEST_F(AuxiliaryJobsTest, NetworkJobWritesTheRandomFile) {
  TRecordingSleeper sleeper;
  std::string db = dir_ / "Daten";
  CreateDirectoryW(Widen(db).c_str(), nullptr);
  UINT before = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  TNetworkKeepAliveJob job(db + "\r\n" + (dir_ / "fehlt") + "\r\n", channel_);
  job.Run();
  EXPECT_EQ(SetErrorMode(before),
            static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
  EXPECT_EQ(ends_, 1);

  std::string folder = db + "\\RandomAccess\\quorvel\\";
  std::string expected = folder + ComputerName() + "-" + std::to_string(ElfHash(folder)) + ".TXT";
  EXPECT_EQ(job.FilePathFor(db), expected);
  std::string content = ReadBytes(expected);
  std::string head = "Random Acess quorvel\r\nThis is only a temporary file\r\n";
  ASSERT_EQ(content.size(), head.size() + 500 * 202);
  EXPECT_EQ(content.substr(0, head.size()), head);
  for (size_t line = 1; line <= 500; ++line)
    EXPECT_EQ(content.substr(head.size() + line * 202 - 2, 2), "\r\n");
  EXPECT_FALSE(Exists(dir_ / "fehlt"));
  ASSERT_EQ(sleeper.pauses.size(), 1u);  // only the existing folder is visited
  EXPECT_GE(sleeper.pauses[0], 10u);
  EXPECT_LE(sleeper.pauses[0], 109u);
  std::string first = content;
  job.Run();
  EXPECT_NE(ReadBytes(expected), first) << "replaced with new random lines";
}

TEST_F(AuxiliaryJobsTest, FolderNamesAreCleaned) {
  TRecordingSleeper sleeper;
  EXPECT_EQ(TKeepAliveWriteJob("", "").FolderName(), "netrefresh");
  EXPECT_EQ(TKeepAliveWriteJob("", " a b/c\\d:e ").FolderName(), "abcde");
  std::string db = dir_ / "Daten\\";
  CreateDirectoryW(Widen(db).c_str(), nullptr);
  TKeepAliveWriteJob job(db, "");
  job.Run();
  EXPECT_TRUE(IsExistingFolder(db + "RandomAccess\\netrefresh"));
}

TEST_F(AuxiliaryJobsTest, CacheCopiesTakeTableFilesOnly) {
  std::string db = dir_ / "Daten\\";
  WriteBytes(db + "a.ADT", "table");
  WriteBytes(db + "b.adi", "index");
  WriteBytes(db + "C.Adm", "memo");
  WriteBytes(db + "d.txt", "other");
  WriteBytes(db + "Unter\\e.adt", "below");
  TCopyCacheJob job(db, channel_, 2);
  job.Run();
  EXPECT_EQ(ends_, 1);
  std::string cache = TCopyCacheJob::CacheFolder(2);
  EXPECT_TRUE(cache.ends_with("\\KXTempDir\\Temporärer Cache.2\\")) << cache;
  EXPECT_EQ(ReadBytes(cache + "a.ADT"), "table");
  EXPECT_EQ(ReadBytes(cache + "b.adi"), "index");
  EXPECT_EQ(ReadBytes(cache + "C.Adm"), "memo");
  EXPECT_FALSE(Exists(cache + "d.txt"));
  EXPECT_FALSE(Exists(cache + "e.adt"));

  WriteBytes(db + "a.ADT", "changed");
  job.Run();
  EXPECT_EQ(ReadBytes(cache + "a.ADT"), "changed");
}

TEST_F(AuxiliaryJobsTest, LockedSourceIsSkippedAndTheOldCacheCopyStays) {
  std::string db = dir_ / "Daten\\";
  WriteBytes(db + "a.ADT", "new a");
  WriteBytes(db + "b.ADT", "new b");
  std::string cache = TCopyCacheJob::CacheFolder(0);
  WriteBytes(cache + "a.ADT", "last good a");
  THeldFile locked(db + "a.ADT", GENERIC_READ | GENERIC_WRITE, 0);
  TCopyCacheJob(db, channel_, 0).Run();
  EXPECT_EQ(ReadBytes(cache + "a.ADT"), "last good a");
  EXPECT_EQ(ReadBytes(cache + "b.ADT"), "new b");
  EXPECT_FALSE(Exists(cache + "a.ADT.~part"));
  EXPECT_EQ(ends_, 1);
}

TEST_F(AuxiliaryJobsTest, MissingFolderStillEndsTheJob) {
  TCopyCacheJob(dir_ / "weg", channel_, 1).Run();
  EXPECT_EQ(ends_, 1);
}

TEST_F(AuxiliaryJobsTest, PoolCountsAuxiliaryJobsBackToZero) {
  TRecordingSleeper sleeper;
  std::string a = dir_ / "A", b = dir_ / "B";
  WriteBytes(a + "\\K.ADT", "k");
  CreateDirectoryW(Widen(b).c_str(), nullptr);
  TBackupJobPool pool([](const TJobReport*, int) {});
  pool.StartCacheCopies(a + "\r\n" + (dir_ / "fehlt") + "\r\n" + b);
  EXPECT_EQ(pool.ActiveOthers(), 2);
  ASSERT_TRUE(test::PumpUntil([&] { return pool.ActiveOthers() == 0; }));
  EXPECT_EQ(ReadBytes(TCopyCacheJob::CacheFolder(0) + "K.ADT"), "k");
  EXPECT_FALSE(Exists(TCopyCacheJob::CacheFolder(1) + "K.ADT"));
  pool.StartNetworkWork(a + "\r\n" + b);
  EXPECT_EQ(pool.ActiveOthers(), 1);
  ASSERT_TRUE(test::PumpUntil([&] { return pool.ActiveOthers() == 0; }));
  // An end message that cannot be posted is still counted.
  pool.Channel()->SetPosterForTest([](HWND, UINT, WPARAM, LPARAM) { return FALSE; });
  pool.StartNetworkWork(a);
  ASSERT_TRUE(test::PumpUntil([&] { return pool.ActiveOthers() == 0; }));
}

}  // namespace
}  // namespace qv
