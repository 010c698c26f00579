#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TestClock.h"
#include "WinPump.h"
#include "WinTestSupport.h"
#include "backup/BackupFolders.h"
#include "backup/BackupJob.h"
#include "backup/BackupJobPool.h"
#include "backup/ReportText.h"

namespace qv {
namespace {

using test::PumpUntil;
using test::TTempDir;

struct TReport {
  std::string Text;
  bool Failed;
  bool Final;
  std::string DatabaseDir;
  int Active;
  DWORD Thread;
};

// A backup job whose body reports a few fixed lines.
class TScriptedJob : public TBackupJob {
 public:
  TScriptedJob(const std::string& target, std::shared_ptr<TJobChannel> channel,
               const std::string& dir, HANDLE gate = nullptr)
      : TBackupJob(target, std::move(channel), dir), gate_(gate) {}
  void Run() override {
    if (gate_) WaitForSingleObject(gate_, 30000);
    Report("Datenbank \"" + DatabaseDir + "\" überprüfen..", true, false);
    Report("Prüfen: \"A.ADT\" [" + DatabaseDir + "]", false, false);
    Report("Problem in Tabelle \"A\" : kaputt", true, true);
    Report("<hr>", true, false);
    PostFinal(true);
  }

 private:
  HANDLE gate_;
};

class BackupPoolTest : public testing::Test {
 protected:
  void SetUp() override {
    pool_ = std::make_unique<TBackupJobPool>([this](const TJobReport* item, int active) {
      if (item)
        reports_.push_back({item->Text, item->Failed, item->Final, item->DatabaseDir, active,
                            GetCurrentThreadId()});
      else
        ++otherEnds_;
    });
    pool_->MakeBackupJob = [this](const std::string& target, const std::string& dir,
                                  const std::string& folder) -> TJobPtr {
      folders_.push_back(folder);
      ++made_;
      return std::make_unique<TScriptedJob>(target, pool_->Channel(), dir, gate_);
    };
    dbA_ = dir_ / "A\\";
    dbB_ = dir_ / "B\\";
    CreateDirectoryW(Widen(dbA_).c_str(), nullptr);
    CreateDirectoryW(Widen(dbB_).c_str(), nullptr);
  }
  void TearDown() override {
    pool_.reset();
    if (gate_) CloseHandle(gate_);
  }
  bool WaitForIdle() {
    return PumpUntil([&] { return pool_->ActiveBackups() == 0 && pool_->ActiveOthers() == 0; });
  }

  TTempDir dir_;
  std::string dbA_, dbB_;
  HANDLE gate_ = nullptr;
  std::unique_ptr<TBackupJobPool> pool_;
  std::vector<TReport> reports_;
  int otherEnds_ = 0;
  int made_ = 0;
  std::vector<std::string> folders_;
};

TEST_F(BackupPoolTest, ReportsArriveOnTheMainThreadInOrder) {
  pool_->StartBackups(dir_ / "Ziel", dbA_ + "\r\n" + dir_.Path() + "missing\r\n" + dbB_);
  EXPECT_EQ(made_, 2);  // the missing folder gets no job
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(reports_.size(), 10u);
  for (const std::string& db : {dbA_, dbB_}) {
    std::vector<TReport> mine;
    for (const auto& r : reports_)
      if (r.DatabaseDir == db) mine.push_back(r);
    ASSERT_EQ(mine.size(), 5u);
    EXPECT_EQ(mine[0].Text, "Datenbank \"" + db + "\" überprüfen..");
    EXPECT_EQ(mine[2].Text, "<FONT color=\"#FF0000\">Problem in Tabelle \"A\" : kaputt</FONT>");
    EXPECT_TRUE(mine[2].Failed);
    EXPECT_EQ(mine[3].Text, "<hr>");
    EXPECT_TRUE(mine[4].Final);
    EXPECT_TRUE(mine[4].Failed);
    for (const auto& r : mine) EXPECT_EQ(r.Thread, GetCurrentThreadId());
  }
  EXPECT_EQ(reports_.back().Active, 0);
  ASSERT_EQ(pool_->RunProtocol.size(), 2u);
}

TEST_F(BackupPoolTest, EveryDatabaseGetsABackupFolderOfItsOwn) {
  CreateDirectoryW(Widen(dir_ / "Firma").c_str(), nullptr);
  CreateDirectoryW(Widen(dir_ / "Firma\\Daten").c_str(), nullptr);
  CreateDirectoryW(Widen(dir_ / "Firma_Daten").c_str(), nullptr);
  std::string lowerA = dir_ / "a";  // the same folder as A, written otherwise
  pool_->StartBackups(dir_ / "Ziel", dbA_ + "\r\n" + lowerA + "\r\n" + (dir_ / "Firma\\Daten") +
                                         "\r\n" + (dir_ / "Firma_Daten"));
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(made_, 3) << "a database listed twice is backed up once";
  ASSERT_EQ(folders_.size(), 3u);
  EXPECT_EQ(folders_[0], CleanPathName(dir_ / "A"));
  EXPECT_EQ(folders_[1], CleanPathName(dir_ / "Firma\\Daten"));
  EXPECT_NE(folders_[2], folders_[1]);
  EXPECT_EQ(folders_[2].rfind(folders_[1] + "~", 0), 0u) << folders_[2];
  // Each folder names its database, and keeps it when that one is not in a run.
  EXPECT_EQ(test::ReadBytes(dir_ / ("Ziel\\" + folders_[1] + "\\" + kOwnerFile)),
            (dir_ / "Firma\\Daten") + "\r\n");
  std::string marked = folders_[2];
  folders_.clear();
  pool_->StartBackups(dir_ / "Ziel", dir_ / "Firma_Daten");
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(folders_, std::vector<std::string>{marked});
}

TEST_F(BackupPoolTest, FinalItemCarriesTheLoggedLinesAndClosesWithRule) {
  test::TFakeClock clock;
  test::TClockScope scope(clock);
  clock.Set(test::MakeTime(2026, 12, 8, 14, 5, 9));
  pool_->StartBackups(dir_ / "Ziel", dbA_);
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(pool_->RunProtocol.size(), 1u);
  std::string expected = "</b>08.12.2026 14:05:09<b></b>: Datenbank \"" + dbA_ +
                         "\" überprüfen..\r\n" +
                         "</b>08.12.2026 14:05:09<b>: <FONT color=\"#FF0000\">Problem in Tabelle "
                         "\"A\" : kaputt</FONT>\r\n" +
                         "<hr>\r\n<hr>";
  EXPECT_EQ(pool_->RunProtocol[0], expected);
  EXPECT_EQ(reports_.back().Text + "<hr>", expected);
}

TEST_F(BackupPoolTest, StartWhileJobsRunEmptiesTheProtocolAndStartsNothing) {
  gate_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  pool_->RunProtocol = {"old"};
  pool_->StartBackups(dir_ / "Ziel", dbA_);
  EXPECT_TRUE(pool_->RunProtocol.empty());
  pool_->RunProtocol = {"old"};
  pool_->StartBackups(dir_ / "Ziel", dbA_ + "\r\n" + dbB_);
  EXPECT_TRUE(pool_->RunProtocol.empty());
  EXPECT_EQ(made_, 1);
  EXPECT_EQ(pool_->ActiveBackups(), 1);
  SetEvent(gate_);
  ASSERT_TRUE(WaitForIdle());
  pool_->Closing = true;
  pool_->StartBackups(dir_ / "Ziel", dbA_);
  EXPECT_EQ(made_, 1);
}

class TOtherJob : public TWorkerThreadJob {
 public:
  TOtherJob(std::shared_ptr<TJobChannel> channel, HANDLE gate)
      : channel_(std::move(channel)), gate_(gate) {}
  void Run() override {
    if (gate_) WaitForSingleObject(gate_, 30000);
    channel_->PostOtherJobDone();
  }

 private:
  std::shared_ptr<TJobChannel> channel_;
  HANDLE gate_;
};

TEST_F(BackupPoolTest, CacheCopiesOneJobPerExistingFolder) {
  gate_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<std::pair<std::string, int>> made;
  pool_->MakeCacheJob = [&](const std::string& dir, int index) -> TJobPtr {
    made.emplace_back(dir, index);
    return std::make_unique<TOtherJob>(pool_->Channel(), gate_);
  };
  int networkJobs = 0;
  pool_->MakeNetworkJob = [&](const std::string&) -> TJobPtr {
    ++networkJobs;
    return std::make_unique<TOtherJob>(pool_->Channel(), gate_);
  };
  pool_->StartCacheCopies(dbA_ + "\r\n" + dir_.Path() + "missing\r\n" + dbB_);
  EXPECT_EQ(pool_->ActiveOthers(), 2);
  EXPECT_EQ(made, (std::vector<std::pair<std::string, int>>{{dbA_, 0}, {dbB_, 2}}));
  pool_->StartNetworkWork(dbA_);
  pool_->StartCacheCopies(dbA_);
  EXPECT_EQ(networkJobs, 0);
  EXPECT_EQ(made.size(), 2u);
  SetEvent(gate_);
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(otherEnds_, 2);
  pool_->StartNetworkWork(dbA_ + "\r\n" + dbB_);
  EXPECT_EQ(networkJobs, 1);
  ASSERT_TRUE(WaitForIdle());
}

TEST_F(BackupPoolTest, LostEndMessagesStillEndTheJobsExactlyOnce) {
  pool_->Channel()->SetPosterForTest([](HWND, UINT, WPARAM, LPARAM) { return FALSE; });
  pool_->MakeCacheJob = [&](const std::string&, int) -> TJobPtr {
    return std::make_unique<TOtherJob>(pool_->Channel(), nullptr);
  };
  pool_->StartBackups(dir_ / "Ziel", dbA_ + "\r\n" + dbB_);
  pool_->StartCacheCopies(dbA_);
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(pool_->ActiveBackups(), 0);
  EXPECT_EQ(pool_->ActiveOthers(), 0);
  // Progress lines are lost; the two final items and the end message are not.
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_TRUE(reports_[0].Final);
  EXPECT_TRUE(reports_[1].Final);
  EXPECT_EQ(reports_[1].Active, 0);
  EXPECT_EQ(otherEnds_, 1);
  EXPECT_EQ(pool_->RunProtocol.size(), 2u);
  // A new run can start.
  pool_->Channel()->SetPosterForTest(PostMessageW);
  pool_->StartBackups(dir_ / "Ziel", dbA_);
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(made_, 3);
}

TEST_F(BackupPoolTest, DestroyingThePoolAwaitsRunningJobsAndDeliversTheirReports) {
  gate_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  pool_->StartBackups(dir_ / "Ziel", dbA_);
  std::thread opener([&] {
    Sleep(100);
    SetEvent(gate_);
  });
  pool_.reset();
  opener.join();
  ASSERT_EQ(reports_.size(), 5u);
  EXPECT_TRUE(reports_.back().Final);
}

TEST(BackupJobCreation, RootAndDatabaseFolder) {
  auto channel = std::make_shared<TJobChannel>(nullptr);
  TBackupJob a("C:\\Ziel", channel, "D:\\Firma\\Daten");
  EXPECT_EQ(a.BackupRoot, "C:\\Ziel\\D__Firma_Daten\\");
  EXPECT_EQ(a.DatabaseDir, "D:\\Firma\\Daten\\");
  TBackupJob b("C:\\Ziel\\", channel, "\\\\server\\daten\\Firma1\\");
  EXPECT_EQ(b.BackupRoot, "C:\\Ziel\\__server_daten_Firma1\\");
  EXPECT_EQ(b.DatabaseDir, "\\\\server\\daten\\Firma1\\");
  TBackupJob c("E", channel, "D:\\" + std::string(120, 'x'));
  EXPECT_EQ(c.BackupRoot, "E:\\D__" + std::string(97, 'x') + "\\");
}

}  // namespace
}  // namespace qv
