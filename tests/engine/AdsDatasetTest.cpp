#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "AdtGen.h"
#include "PortableTestData.h"
#include "RecordCount.h"
#include "engine/AdsDataset.h"
#include "engine/BuiltinEngine.h"
#include "util/DateTimeText.h"

namespace qv {
namespace {

using namespace adtgen;

class AdsDatasetTest : public testing::Test {
 protected:
  void SetUp() override {
    source_ = std::make_shared<TMemoryFileSource>();
    source_->AddFolder("C:\\check");
    TTableFiles sound = Build(CustomerTable(12));
    source_->Put("C:\\check\\KUNDEN.ADT", sound.Adt);
    source_->Put("C:\\check\\KUNDEN.ADM", sound.Adm);
    source_->Put("C:\\check\\KUNDEN.ADI", sound.Adi);
    TTableFiles damaged = Build(ArticleTable(5, false));
    ApplyDamage(damaged, TDamage::BadSignature);
    source_->Put("C:\\check\\RECHNUNG.ADT", damaged.Adt);
    provider_ = std::make_unique<TBuiltinAdsProvider>(source_);
  }
  std::shared_ptr<TMemoryFileSource> source_;
  std::unique_ptr<TBuiltinAdsProvider> provider_;
};

TEST_F(AdsDatasetTest, OpensATableThroughConnectionAndTable) {
  TAdsConnection connection(*provider_);
  connection.Name = "_12345";
  connection.ConnectPath = "C:\\check";
  connection.Connect();
  TAdsTable table(*provider_);
  table.Connection = &connection;
  table.TableName = "KUNDEN.ADT";
  table.Open();
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.Fields().size(), 5u);
  EXPECT_EQ(table.RecordLength(), 92u);
  EXPECT_EQ(test::RecordCount(*provider_, table), 12u);
  EXPECT_EQ(table.Fields()[3].Name, "SEIT");
  table.Close();
  EXPECT_FALSE(table.Active());
  table.Close();  // a second close is harmless
}

// A connection to the check folder and one of its tables, opened.
struct TOpenedTable {
  TOpenedTable(IAdsProvider& provider, const std::string& name)
      : Connection(provider), Table(provider) {
    Connection.ConnectPath = "C:\\check";
    Connection.Connect();
    Table.Connection = &Connection;
    Table.TableName = name;
    Table.Open();
  }
  TAdsConnection Connection;
  TAdsTable Table;
};

TEST_F(AdsDatasetTest, AWideTableReadsItsWholeStructure) {
  // A damaged or odd table may declare tens of thousands of fields; reading
  // them must not grow with the square of their number.
  TTableSpec spec;
  for (int i = 1; i <= 30000; ++i)
    spec.Fields.push_back({"Feld" + std::to_string(i), static_cast<std::uint16_t>(i % 7 ? 4 : 10),
                           static_cast<std::uint16_t>(i % 7 ? 1 : 8),
                           static_cast<std::uint16_t>(i % 7 ? 0 : 2)});
  TTableFiles wide = Build(spec);
  source_->Put("C:\\check\\BREIT.ADT", wide.Adt);
  TOpenedTable opened(*provider_, "BREIT.ADT");
  TAdsTable& table = opened.Table;
  ASSERT_EQ(table.Fields().size(), 30000u);
  const TAdsFieldDef& last = table.Fields().back();
  EXPECT_EQ(last.Name, "Feld30000");
  EXPECT_EQ(last.Length, 1u);
  EXPECT_EQ(table.RecordLength(), 5u + 25715u + 8u * 4285u);
  const TAdsFieldDef& money = table.Fields()[29995 - 1];  // 29995 = 7 * 4285
  EXPECT_EQ(money.Name, "Feld29995");
  EXPECT_EQ(money.Type, 10u);
  EXPECT_EQ(money.Decimals, 2u);
}

TEST_F(AdsDatasetTest, FieldsAreFoundByNameInAnyCase) {
  TOpenedTable opened(*provider_, "KUNDEN.ADT");
  TAdsTable& table = opened.Table;
  std::uint16_t byUpper = 0, byLower = 0, unknown = 0;
  EXPECT_EQ(provider_->GetFieldType(table.Handle(), "SEIT", byUpper), 0u);
  EXPECT_EQ(provider_->GetFieldType(table.Handle(), "seit", byLower), 0u);
  EXPECT_EQ(byLower, byUpper);
  EXPECT_EQ(byUpper, table.Fields()[3].Type);
  EXPECT_NE(provider_->GetFieldType(table.Handle(), "SEITE", unknown), 0u);
}

// It reports no index orders, and answers index calls as the office
// application's engine answers them for a table's handle.
TEST_F(AdsDatasetTest, IndexCallsOnTheTablesHandleAreRefusedAsByTheRealEngine) {
  TOpenedTable opened(*provider_, "KUNDEN.ADT");
  EXPECT_TRUE(opened.Table.Indexes().empty());
  TAdsHandle table = opened.Table.Handle();
  std::uint32_t size = 0;
  std::uint16_t count = 0;
  std::string text;
  bool flag = false;
  const std::string expected =
      "Error 5014:  Advantage does not have an index open with the specified handle.  The handle "
      "must be to an index order.";
  for (std::uint32_t result :
       {provider_->GetIndexPageSize(table, size), provider_->GetIndexName(table, text),
        provider_->GetNumSegments(table, count), provider_->GetSegmentFieldname(table, 0, text),
        provider_->IsIndexUnique(table, flag)}) {
    EXPECT_EQ(result, 5014u);
    std::uint32_t code = 0;
    provider_->GetLastError(code, text);
    EXPECT_EQ(code, 5014u);
    EXPECT_EQ(text, expected);
  }
}

TEST_F(AdsDatasetTest, ErrorsCarryTheEngineText) {
  TAdsConnection connection(*provider_);
  connection.ConnectPath = "C:\\check\\";
  TAdsTable table(*provider_);
  table.Connection = &connection;
  table.TableName = "RECHNUNG.ADT";
  try {
    table.Open();
    FAIL() << "opened a damaged table";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.Code(), 7016u);
    EXPECT_STREQ(e.what(),
                 "Error 7016:  Corrupt table: header signature missing.  C:\\check\\RECHNUNG.ADT");
  }
  table.Name = "Tabelle1";
  table.TableName = "FEHLT.ADT";
  try {
    table.Open();
    FAIL();
  } catch (const EADSDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Tabelle1: Error 7041:  File not found.  C:\\check\\FEHLT.ADT");
  }
}

TEST_F(AdsDatasetTest, MessagesAreCutAt600Characters) {
  std::string folder = "C:\\" + std::string(700, 'f');
  source_->AddFolder(folder);
  TAdsConnection connection(*provider_);
  connection.ConnectPath = folder;
  TAdsTable table(*provider_);
  table.Name = "T";
  table.Connection = &connection;
  table.TableName = "X.ADT";
  try {
    table.Open();
    FAIL();
  } catch (const EADSDatabaseError& e) {
    std::string message = e.what();
    EXPECT_EQ(message.size(), 603u);  // "T: " + 600
    EXPECT_EQ(message.rfind("T: Error 7041:  File not found.  C:\\fff", 0), 0u);
  }
}

TEST_F(AdsDatasetTest, ConnectingToAMissingFolderFails) {
  TAdsConnection connection(*provider_);
  connection.ConnectPath = "C:\\nowhere";
  EXPECT_THROW(connection.Connect(), EADSDatabaseError);
  EXPECT_FALSE(connection.IsConnected());
}

TEST_F(AdsDatasetTest, TwoThreadsOpenTablesAtOnce) {
  std::atomic<int> failures{0};
  auto worker = [&](const std::string& name, bool expectSound) {
    TAdsConnection connection(*provider_);
    connection.ConnectPath = "C:\\check";
    connection.Connect();
    for (int i = 0; i < 300; ++i) {
      TAdsTable table(*provider_);
      table.Connection = &connection;
      table.TableName = name;
      try {
        table.Open();
        if (!expectSound || test::RecordCount(*provider_, table) != 12) ++failures;
      } catch (const EADSDatabaseError& e) {
        if (expectSound || std::string(e.what()).find("RECHNUNG") == std::string::npos) ++failures;
      }
    }
  };
  std::thread a(worker, "KUNDEN.ADT", true);
  std::thread b(worker, "RECHNUNG.ADT", false);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST_F(AdsDatasetTest, SettingsSetTheDateFormatOncePerProcess) {
  std::string saved = ShortDateFormat();
  TLocalTime t;
  t.Year = 2026;
  t.Month = 12;
  t.Day = 8;
  {
    TAdsSettings settings(*provider_);
    EXPECT_EQ(provider_->DateFormat(), "DD.MM.YYYY");
    EXPECT_EQ(ShortDateText(t), "08.12.2026");
    EXPECT_THROW(TAdsSettings second(*provider_), std::logic_error);
  }
  SetShortDateFormat("YYYY-MM-DD");
  EXPECT_EQ(ShortDateText(t), "2026-12-08");
  SetShortDateFormat("MM/DD/YY");
  EXPECT_EQ(ShortDateText(t), "12/08/26");
  SetShortDateFormat(saved);
}

TEST(AdsDatasetRealTables, TheDefaultEngineOpensRealTables) {
  TAdsConnection connection;
  connection.ConnectPath = test::DataPath("adt/engine12");
  connection.Connect();
  TAdsTable table;
  table.Connection = &connection;
  table.TableName = "KUNDEN.ADT";
  table.Open();
  EXPECT_EQ(table.Fields().size(), 5u);
  EXPECT_EQ(table.RecordLength(), 92u);
  EXPECT_EQ(test::RecordCount(BuiltinAdsProvider(), table), 120u);
}

}  // namespace
}  // namespace qv
