#include <gtest/gtest.h>

#include "AdtGen.h"
#include "RecordCount.h"
#include "WinTestSupport.h"
#include "engine/AdsDataset.h"

namespace qv {
namespace {

using test::THeldFile;
using test::TTempDir;
using test::WriteBytes;

class EngineWinTest : public testing::Test {
 protected:
  void SetUp() override {
    adtgen::TTableFiles files = adtgen::Build(adtgen::CustomerTable(9));
    WriteBytes(dir_ / "KUNDEN.ADT", files.Adt);
    WriteBytes(dir_ / "KUNDEN.adm", files.Adm);
    WriteBytes(dir_ / "KUNDEN.adi", files.Adi);
    connection_.ConnectPath = dir_.Path();
    table_.Connection = &connection_;
    table_.TableName = "KUNDEN.ADT";
  }
  TTempDir dir_;
  TAdsConnection connection_;
  TAdsTable table_;
};

TEST_F(EngineWinTest, TableHeldWithFullSharingOpens) {
  THeldFile holder(dir_ / "KUNDEN.ADT", GENERIC_READ | GENERIC_WRITE,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(holder.Held());
  table_.Open();
  EXPECT_EQ(test::RecordCount(BuiltinAdsProvider(), table_), 9u);
}

TEST_F(EngineWinTest, TableHeldWithoutSharingFailsWith7008) {
  THeldFile holder(dir_ / "KUNDEN.ADT", GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_TRUE(holder.Held());
  try {
    table_.Open();
    FAIL() << "opened a locked table";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.Code(), 7008u);
    EXPECT_TRUE(std::string(e.what()).ends_with("  " + (dir_ / "KUNDEN.ADT"))) << e.what();
  }
}

TEST_F(EngineWinTest, MemoFileHeldWithoutSharingFailsWith7008) {
  THeldFile holder(dir_ / "KUNDEN.adm", GENERIC_READ | GENERIC_WRITE, 0);
  try {
    table_.Open();
    FAIL() << "opened a table whose memo file is locked";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.Code(), 7008u);
  }
}

TEST_F(EngineWinTest, TheEngineNeverWritesTheFilesItChecks) {
  std::string before = test::ReadBytes(dir_ / "KUNDEN.ADT");
  // A wrong record count is repaired by the office application's engine; ours leaves it.
  std::string damaged = before;
  damaged[24] = 99;
  WriteBytes(dir_ / "KUNDEN.ADT", damaged);
  table_.Open();
  table_.Close();
  EXPECT_EQ(test::ReadBytes(dir_ / "KUNDEN.ADT"), damaged);
}

}  // namespace
}  // namespace qv
