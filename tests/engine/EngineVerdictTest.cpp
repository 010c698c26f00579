#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "AdtGen.h"
#include "PortableTestData.h"
#include "engine/AdtFormat.h"

namespace qv {
namespace {

using namespace adtgen;

const std::string kTable = "C:\\db\\KUNDEN.ADT";

TOpenVerdict Check(const TTableFiles& files, bool lowerCaseNames = false) {
  TMemoryFileSource source;
  source.Put(kTable, files.Adt);
  if (files.HasAdm)
    source.Put(lowerCaseNames ? "C:\\db\\kunden.adm" : "C:\\db\\KUNDEN.ADM", files.Adm);
  if (files.HasAdi)
    source.Put(lowerCaseNames ? "C:\\db\\kunden.adi" : "C:\\db\\KUNDEN.ADI", files.Adi);
  return CheckTableFiles(source, kTable);
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(EngineVerdicts, GeneratedSoundTablesOpen) {
  for (bool lower : {false, true}) {
    TOpenVerdict customers = Check(Build(CustomerTable(120)), lower);
    ASSERT_EQ(customers.Code, 0u) << customers.Message;
    EXPECT_EQ(customers.Structure.Fields.size(), 5u);
    EXPECT_EQ(customers.Structure.RecordLength, 92u);
    EXPECT_EQ(customers.Structure.RecordCount, 120u);
    EXPECT_TRUE(customers.Structure.HasIndex);
    EXPECT_EQ(customers.Structure.IndexPageSize, 512u);
  }
  TOpenVerdict articles = Check(Build(ArticleTable(40, false)));
  ASSERT_EQ(articles.Code, 0u) << articles.Message;
  EXPECT_EQ(articles.Structure.RecordLength, 86u);
  EXPECT_FALSE(articles.Structure.HasIndex);
  EXPECT_EQ(Check(Build(ArticleTable(0, true))).Code, 0u);  // a table without records
}

TEST(EngineVerdicts, EveryDamageGetsItsCode) {
  for (TDamage damage : AllDamages()) {
    TTableFiles files = Build(CustomerTable(30));
    ApplyDamage(files, damage);
    TOpenVerdict verdict = Check(files);
    EXPECT_EQ(verdict.Code, ExpectedCode(damage)) << DamageName(damage) << ": " << verdict.Message;
    if (verdict.Code == 0) continue;
    std::string head = "Error " + std::to_string(verdict.Code) + ":  ";
    EXPECT_EQ(verdict.Message.rfind(head, 0), 0u) << verdict.Message;
    EXPECT_TRUE(verdict.Message.ends_with("  " + kTable)) << verdict.Message;
    EXPECT_GT(verdict.Message.size(), head.size() + kTable.size() + 4)
        << "the text names the fault";
  }
}

TEST(EngineVerdicts, WrongRecordCountIsTakenFromTheFileLength) {
  TTableFiles files = Build(CustomerTable(30));
  ApplyDamage(files, TDamage::CountTooHigh);
  EXPECT_EQ(Check(files).Structure.RecordCount, 30u);
  ApplyDamage(files, TDamage::ExtraRecords);
  EXPECT_EQ(Check(files).Structure.RecordCount, 32u);
}

TEST(EngineVerdicts, MissingAndLockedTables) {
  TMemoryFileSource source;
  TOpenVerdict missing = CheckTableFiles(source, kTable);
  EXPECT_EQ(missing.Code, 7041u);
  EXPECT_EQ(missing.Message, "Error 7041:  File not found.  " + kTable);
  TTableFiles files = Build(ArticleTable(3, false));
  source.Put(kTable, files.Adt);
  source.Lock(kTable);
  EXPECT_EQ(CheckTableFiles(source, kTable).Code, 7008u);
}

TEST(EngineVerdicts, MessageForm) {
  EXPECT_EQ(EngineMessage(7016, "Corrupt table: header signature missing.", "D:\\x\\KUNDEN.ADT"),
            "Error 7016:  Corrupt table: header signature missing.  D:\\x\\KUNDEN.ADT");
}

struct TRealTable {
  const char* Path;
  size_t Fields;
  uint32_t RecordLength;
  uint32_t Records;
  bool Index;
};

const TRealTable kRealTables[] = {
    {"adt/A.ADT", 32, 523, 1, false},
    {"adt/test.adt", 6, 213, 1, false},
    {"adt/engine12/KUNDEN.ADT", 5, 92, 120, true},
    {"adt/engine12/ARTIKEL.ADT", 5, 86, 40, true},
    {"adt/engine12/NOTIZEN.ADT", 4, 35, 15, false},
};

TEST(EngineRealTables, EveryRealTableOpens) {
  TStdFileSource files;
  for (const TRealTable& t : kRealTables) {
    TOpenVerdict verdict = CheckTableFiles(files, test::DataPath(t.Path));
    ASSERT_EQ(verdict.Code, 0u) << t.Path << ": " << verdict.Message;
    EXPECT_EQ(verdict.Structure.Fields.size(), t.Fields) << t.Path;
    EXPECT_EQ(verdict.Structure.RecordLength, t.RecordLength) << t.Path;
    EXPECT_EQ(verdict.Structure.RecordCount, t.Records) << t.Path;
    EXPECT_EQ(verdict.Structure.HasIndex, t.Index) << t.Path;
  }
  TOpenVerdict kunden = CheckTableFiles(files, test::DataPath("adt/engine12/KUNDEN.ADT"));
  EXPECT_EQ(kunden.Structure.Fields[1].Name, "NAME");
  EXPECT_EQ(kunden.Structure.Fields[4].Type, adt::Memo);
}

TEST(EngineRealTables, DamagedCopiesOfARealTableAreRejected) {
  TTableFiles real;
  real.Adt = ReadHostFile(std::string(QV_TESTDATA_DIR) + "/adt/engine12/KUNDEN.ADT");
  real.Adm = ReadHostFile(std::string(QV_TESTDATA_DIR) + "/adt/engine12/KUNDEN.adm");
  real.Adi = ReadHostFile(std::string(QV_TESTDATA_DIR) + "/adt/engine12/KUNDEN.adi");
  real.HasAdm = real.HasAdi = true;
  ASSERT_EQ(Check(real, true).Code, 0u);
  for (TDamage damage : AllDamages()) {
    TTableFiles copy = real;
    ApplyDamage(copy, damage);
    EXPECT_EQ(Check(copy, true).Code, ExpectedCode(damage)) << DamageName(damage);
  }
}

}  // namespace
}  // namespace qv
