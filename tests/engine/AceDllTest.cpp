#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "StandInEngine.h"
#include "engine/AceDllProvider.h"
#include "engine/AceDllSelfCheck.h"
#include "engine/AdsDataset.h"
#include "engine/BuiltinEngine.h"
#include "engine/SelfCheckTables.h"

namespace qv {
namespace {

using test::TEngineCall;
using test::TStandIn;
using test::TStandInEngine;
using test::TTempDir;

std::string Hex(TAdsHandle handle) {
  char text[32];
  snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(handle));
  return text;
}

// The stand-in placed in folder and loaded from there; raises when refused.
std::unique_ptr<TAceDllProvider> LoadStandIn(const std::string& folder) {
  TStandInEngine::PlaceIn(folder);
  TAceDllSearch search = TAceDllProvider::Load({folder});
  if (!search.Provider) throw std::runtime_error(search.Refusals.at(0));
  return std::move(search.Provider);
}

class AceDllTest : public testing::Test {
 protected:
  void SetUp() override {
    connection_.ConnectPath = data_.Path();
    table_.Connection = &connection_;
    engine_.ClearCalls();
  }

  // Opens name and gives the error text, or "" when it opened.
  std::string OpenError(const std::string& name) {
    table_.TableName = name;
    try {
      table_.Open();
      return "";
    } catch (const EADSDatabaseError& e) {
      return e.what();
    }
  }

  std::vector<TEngineCall> CallsNamed(const std::string& name) {
    std::vector<TEngineCall> found;
    for (const TEngineCall& call : engine_.Calls())
      if (call.Name == name) found.push_back(call);
    return found;
  }

  TTempDir work_;
  TTempDir data_;
  TStandInEngine engine_{work_.Path()};
  std::unique_ptr<TAceDllProvider> dll_ = LoadStandIn(work_ / "Programm\\");
  TAdsConnection connection_{*dll_};
  TAdsTable table_{*dll_};
};

TEST_F(AceDllTest, TheDllTellsItsPathAndVersion) {
  EXPECT_EQ(dll_->Path(), work_ / "Programm\\" + TStandInEngine::DllName());
  engine_.Script("version 11 3 c Lokaler Testserver\r\n");
  TAceDllVersion version = dll_->Version();
  EXPECT_EQ(version.Major, 11u);
  EXPECT_EQ(version.Minor, 3u);
  EXPECT_EQ(version.Letter, "c");
  EXPECT_EQ(version.Description, "Lokaler Testserver");
}

// The calls that open a table with the stand-in's two fields and one index
// order per entry of segments (its number of segments), as the engine wants
// them: the page size asked of the first index order, segments from 0.
std::vector<std::string> OpenSequence(const std::vector<int>& segments) {
  std::vector<std::string> calls = {"AdsOpenTable", "AdsGetRecordLength", "AdsGetTableOpenOptions",
                                    "AdsGetAllIndexes"};
  if (!segments.empty()) calls.push_back("AdsGetIndexPageSize");
  calls.insert(calls.end(), {"AdsGetBookmarkLength", "AdsGetNumFields"});
  for (int field = 0; field < 2; ++field)
    calls.insert(calls.end(), {"AdsGetFieldName", "AdsGetFieldType", "AdsGetFieldLength",
                               "AdsGetFieldDecimals"});
  calls.push_back("AdsGetNumIndexes");
  for (int count : segments) {
    calls.insert(calls.end(), {"AdsGetIndexName", "AdsGetNumSegments"});
    calls.insert(calls.end(), count, "AdsGetSegmentFieldname");
    calls.insert(calls.end(), {"AdsIsIndexUnique", "AdsIsIndexDescending", "AdsIsIndexPrimaryKey"});
  }
  calls.insert(calls.end(), {"AdsGotoBOF", "AdsCloseTable"});
  return calls;
}

TEST_F(AceDllTest, TablesWithTwoIndexesOneOrNoneOpenInTheEnginesOrder) {
  test::WriteBytes(data_ / "KUNDEN.adi", "an index file of the engine");
  test::WriteBytes(data_ / "ARTIKEL.ADT", "table");
  // ARTIKEL gets its one index from the engine itself, as the self-check does.
  ASSERT_EQ(OpenError("ARTIKEL.ADT"), "");
  TAdsHandle index = 0;
  ASSERT_EQ(dll_->CreateIndex61(table_.Handle(), "NR", "NR", index), 0u);
  EXPECT_EQ(index & 0xFF, 1u) << "an index order's handle";
  table_.Close();
  struct TCase {
    std::string Table;
    std::vector<int> Segments;
    std::vector<std::vector<std::string>> Fields;
  };
  for (const TCase& c : {TCase{"KUNDEN.ADT", {1, 2}, {{"ID"}, {"NAME", "ID"}}},
                         TCase{"ARTIKEL.ADT", {1}, {{"NR"}}}, TCase{"NOTIZEN.ADT", {}, {}}}) {
    SCOPED_TRACE(c.Table);
    engine_.ClearCalls();
    ASSERT_EQ(OpenError(c.Table), "");
    std::vector<std::vector<std::string>> fields;
    for (const TAdsIndexDef& def : table_.Indexes()) fields.push_back(def.Fields);
    EXPECT_EQ(fields, c.Fields);
    table_.Close();
    std::vector<TEngineCall> calls = engine_.Calls();
    EXPECT_EQ(TStandInEngine::Names(calls), OpenSequence(c.Segments));
    std::set<std::string> indexHandles;
    for (const TEngineCall& call : calls) {
      if (call.Name == "AdsGetIndexPageSize") {
        EXPECT_NE(call["handle"], calls[1]["handle"]);
      }
      if (call.Name == "AdsGetSegmentFieldname") indexHandles.insert(call["handle"]);
    }
    EXPECT_EQ(indexHandles.size(), c.Segments.size()) << "the handles AdsGetAllIndexes gave";
  }
}

TEST_F(AceDllTest, OpeningATableMakesTheEngineCallsWithTheirArguments) {
  test::WriteBytes(data_ / "KUNDEN.adi", "an index file of the engine");
  ASSERT_EQ(OpenError("KUNDEN.ADT"), "");
  TAdsHandle connectionHandle = connection_.Handle();
  table_.Close();
  connection_.Disconnect();
  std::vector<TEngineCall> calls = engine_.Calls();
  ASSERT_EQ(calls.size(), OpenSequence({1, 2}).size() + 2);
  EXPECT_EQ(calls.front().Name, "AdsConnect60");
  EXPECT_EQ(calls.back().Name, "AdsDisconnect");

  const TEngineCall& connect = calls[0];
  EXPECT_EQ(connect["path"], data_.Path());
  EXPECT_EQ(connect["types"], "1");
  EXPECT_EQ(connect["user"], "NULL");
  EXPECT_EQ(connect["password"], "NULL");
  EXPECT_EQ(connect["options"], "0");
  const TEngineCall& open = calls[1];
  EXPECT_EQ(open["path"], data_ / "KUNDEN.ADT") << "the full path in the connected folder";
  EXPECT_EQ(open["alias"], "NULL");
  EXPECT_EQ(open["type"], "3");
  EXPECT_EQ(open["char"], "1");
  EXPECT_EQ(open["lock"], "1");
  EXPECT_EQ(open["rights"], "1");
  EXPECT_EQ(open["options"], "0");
  // Handles travel unchanged, all their bits (pointer-sized in the 64-bit DLL).
  EXPECT_EQ(open["connection"], Hex(connectionHandle));
  EXPECT_EQ(calls.back()["handle"], Hex(connectionHandle));
  if (sizeof(void*) == 8) {
    EXPECT_GT(connectionHandle, 0xFFFFFFFFull);
  }
  std::string tableHandle = calls[2]["handle"];
  std::set<std::string> indexHandles;
  for (std::size_t i = 2; i < calls.size() - 1; ++i) {
    bool onIndex = calls[i].Name.starts_with("AdsIsIndex") || calls[i].Name == "AdsGetIndexName" ||
                   calls[i].Name == "AdsGetIndexPageSize" ||
                   calls[i].Name.find("Segment") != std::string::npos;
    if (onIndex) {
      indexHandles.insert(calls[i]["handle"]);
    } else {
      EXPECT_EQ(calls[i]["handle"], tableHandle) << calls[i].Name;
    }
  }
  EXPECT_EQ(indexHandles.size(), 2u) << "the handles AdsGetAllIndexes gave";
  EXPECT_FALSE(indexHandles.contains(tableHandle));
  EXPECT_EQ(calls[4]["room"], "256");
  EXPECT_EQ(calls[8]["field"], "1");
  EXPECT_EQ(calls[9]["field"], "ID") << "the type asked by the name just read";
  EXPECT_EQ(calls[11]["field"], "ID");
  EXPECT_EQ(calls[12]["field"], "2");
  EXPECT_EQ(calls[13]["field"], "NAME");
  std::vector<std::string> segments;
  for (const TEngineCall& call : calls)
    if (call.Name == "AdsGetSegmentFieldname") segments.push_back(call["segment"]);
  EXPECT_EQ(segments, (std::vector<std::string>{"0", "0", "1"}));

  ASSERT_EQ(table_.Fields().size(), 2u);
  EXPECT_EQ(table_.Fields()[1].Name, "NAME");
  EXPECT_EQ(table_.Fields()[1].Type, 4u);
  EXPECT_EQ(table_.Fields()[1].Length, 30u);
  EXPECT_EQ(table_.RecordLength(), 39u);
  ASSERT_EQ(table_.Indexes().size(), 2u);
  EXPECT_EQ(table_.Indexes()[1].Fields, (std::vector<std::string>{"NAME", "ID"}));
  EXPECT_TRUE(table_.Indexes()[0].Unique && table_.Indexes()[0].PrimaryKey);
  EXPECT_TRUE(table_.Indexes()[1].Descending && !table_.Indexes()[1].Unique);
}

// The calls as an older build made them, which the real engine refuses.
TEST_F(AceDllTest, TheTablesHandleAndSegmentsFromOneAreRefusedAsByTheRealEngine) {
  test::WriteBytes(data_ / "KUNDEN.adi", "an index file of the engine");
  ASSERT_EQ(OpenError("KUNDEN.ADT"), "");
  std::uint32_t pageSize = 0;
  std::uint32_t code = 0;
  std::string text;
  EXPECT_EQ(dll_->GetIndexPageSize(table_.Handle(), pageSize), 5014u);
  dll_->GetLastError(code, text);
  EXPECT_EQ(text,
            "Error 5014:  Advantage does not have an index open with the specified handle.  The "
            "handle must be to an index order.");
  std::vector<TAdsHandle> indexes(ADS_MAX_INDEXES);
  ASSERT_EQ(dll_->GetAllIndexes(table_.Handle(), indexes), 0u);
  ASSERT_EQ(indexes.size(), 2u);
  EXPECT_EQ(dll_->GetIndexPageSize(indexes[0], pageSize), 0u);
  EXPECT_EQ(pageSize, 512u);
  std::string field;
  EXPECT_EQ(dll_->GetSegmentFieldname(indexes[0], 0, field), 0u);
  EXPECT_EQ(field, "ID");
  EXPECT_EQ(dll_->GetSegmentFieldname(indexes[0], 1, field), 5030u) << "segment = count";
  dll_->GetLastError(code, text);
  EXPECT_EQ(text,
            "Error 5030:  The field number specified was invalid for the specified table.  No "
            "such column in index expression.");
  EXPECT_EQ(dll_->GetIndexName(table_.Handle(), field), 5014u);
}

TEST_F(AceDllTest, FailuresCarryTheEngineTextAskedOnTheSameThread) {
  std::string text = "Error 7016:  Corrupt table  " + (data_ / "KUNDEN.ADT");
  engine_.Script("fail AdsOpenTable KUNDEN.ADT 7016 " + text + "\r\n" +
                 "fail AdsGetFieldType RECHNUNG 7123 Error 7123:  Unrecognized field type\r\n");
  EXPECT_EQ(OpenError("KUNDEN.ADT"), text);
  EXPECT_FALSE(table_.Active());
  table_.Name = "Tabelle1";
  EXPECT_EQ(OpenError("RECHNUNG.ADT"), "Tabelle1: Error 7123:  Unrecognized field type");
  EXPECT_FALSE(table_.Active());
  EXPECT_EQ(OpenError("ARTIKEL.ADT"), "");

  std::vector<TEngineCall> calls = engine_.Calls();
  std::vector<std::string> afterFailure;
  for (std::size_t i = 0; i + 1 < calls.size(); ++i)
    if (calls[i].Name == "AdsOpenTable" && calls[i]["path"].ends_with("KUNDEN.ADT"))
      afterFailure.push_back(calls[i + 1].Name);
  EXPECT_EQ(afterFailure, std::vector<std::string>{"AdsGetLastError"});
  for (const TEngineCall& call : calls) EXPECT_EQ(call.Thread, calls[0].Thread);
  // The table that failed while its structure was read is closed again.
  std::vector<TEngineCall> closes = CallsNamed("AdsCloseTable");
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(closes[0]["handle"], CallsNamed("AdsGetFieldType").back()["handle"]);
}

TEST_F(AceDllTest, MessagesAreCutAt600CharactersBeforeTheNameIsAdded) {
  std::string text = "Error 7008:  File open failure  " + std::string(700, 'x');
  engine_.Script("fail AdsOpenTable * 7008 " + text + "\r\n");
  table_.Name = "T";
  std::string message = OpenError("KUNDEN.ADT");
  EXPECT_EQ(message, "T: " + text.substr(0, 600));
}

TEST_F(AceDllTest, AFailingCloseIsIgnored) {
  engine_.Script("fail AdsCloseTable * 5018 Error 5018:  Invalid handle\r\n");
  ASSERT_EQ(OpenError("KUNDEN.ADT"), "");
  EXPECT_NO_THROW(table_.Close());
  EXPECT_FALSE(table_.Active());
  EXPECT_EQ(CallsNamed("AdsCloseTable").size(), 1u);
  EXPECT_EQ(OpenError("KUNDEN.ADT"), "") << "the next open works as before";
}

TEST_F(AceDllTest, AFailingConnectLeavesNoConnection) {
  engine_.Script("fail AdsConnect60 * 6420 Error 6420:  Discovery failure\r\n");
  EXPECT_EQ(OpenError("KUNDEN.ADT"), "Error 6420:  Discovery failure");
  EXPECT_FALSE(connection_.IsConnected());
  EXPECT_TRUE(CallsNamed("AdsOpenTable").empty());
}

TEST_F(AceDllTest, ATextTheAnsiEngineCannotTakeIsRefusedBeforeTheCall) {
  std::string message = OpenError(
      "\xC5\x81"
      "ODZ.ADT");  // a Polish letter outside Windows-1252
  EXPECT_NE(message.find("lässt sich im ANSI-Zeichensatz der Engine nicht darstellen"),
            std::string::npos)
      << message;
  EXPECT_TRUE(CallsNamed("AdsOpenTable").empty());
  engine_.Script("fail AdsOpenTable * 7041 Error 7041:  File not found\r\n");
  EXPECT_EQ(OpenError("KUNDEN.ADT"), "Error 7041:  File not found") << "no stale own error";
}

TEST_F(AceDllTest, AFolderTheAnsiEngineCannotTakeReachesItInItsShortForm) {
  // The scratch folder below the temporary folder of a user "Łukasz".
  std::string folder = data_ /
                       "\xC5\x81"
                       "ukasz\\Temp\\";
  test::WriteBytes(folder + "ARTIKELSTAMM.ADT", "tabelle");
  connection_.ConnectPath = folder;
  EXPECT_EQ(OpenError("ARTIKELSTAMM.ADT"), "");
  std::vector<TEngineCall> connects = CallsNamed("AdsConnect60");
  std::vector<TEngineCall> opens = CallsNamed("AdsOpenTable");
  ASSERT_EQ(connects.size(), 1u);
  ASSERT_EQ(opens.size(), 1u);
  for (const std::string& path : {connects[0]["path"], opens[0]["path"]}) {
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
    EXPECT_NE(path.find('~'), std::string::npos) << "the short form: " << path;
  }
  // The table keeps its name: the engine finds its memo and index files by it.
  EXPECT_EQ(opens[0]["path"].substr(opens[0]["path"].size() - 17), "\\ARTIKELSTAMM.ADT");
}

TEST_F(AceDllTest, StartUpSettingsAreAppliedOnceWithTheirValues) {
  {
    TAdsSettings settings(*dll_);
    EXPECT_THROW(TAdsSettings second(*dll_), std::logic_error);
  }
  std::vector<TEngineCall> calls = engine_.Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].Name, "AdsCacheOpenCursors");
  EXPECT_EQ(calls[0]["count"], "25");
  EXPECT_EQ(calls[1].Name, "AdsSetDateFormat");
  EXPECT_EQ(calls[1]["format"], "DD.MM.YYYY");
  EXPECT_EQ(calls[2].Name, "AdsSetDecimals");
  EXPECT_EQ(calls[2]["decimals"], "2");
  EXPECT_EQ(calls[3].Name, "AdsShowDeleted");
  EXPECT_EQ(calls[3]["show"], "1");
  EXPECT_EQ(calls[4].Name, "AdsSetServerType");
  EXPECT_EQ(calls[4]["types"], "1");

  engine_.Script("fail AdsSetDecimals * 5004 Error 5004:  Refused\r\n");
  EXPECT_THROW(TAdsSettings refused(*dll_), EADSDatabaseError);
  engine_.Script("");
  EXPECT_NO_THROW(TAdsSettings again(*dll_)) << "a refused start leaves no settings behind";
}

TEST_F(AceDllTest, TwoThreadsEachOwnTheirConnection) {
  // Every open waits until both connections exist: the two jobs overlap.
  engine_.Script(
      "await connections * 2\r\n"
      "fail AdsOpenTable RECHNUNG 7016 Error 7016:  Corrupt table  RECHNUNG\r\n");
  std::atomic<int> failures{0};
  auto job = [&](const std::string& name, bool sound) {
    TAdsConnection connection(*dll_);
    connection.ConnectPath = data_.Path();
    TAdsTable table(*dll_);
    table.Connection = &connection;
    table.TableName = name;
    for (int i = 0; i < 20; ++i) {
      try {
        table.Open();
        table.Close();
        if (!sound) ++failures;
      } catch (const EADSDatabaseError& e) {
        if (sound || std::string(e.what()).find("RECHNUNG") == std::string::npos) ++failures;
      }
    }
  };
  std::thread a(job, "KUNDEN.ADT", true);
  std::thread b(job, "RECHNUNG.ADT", false);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);

  std::map<std::string, std::set<std::string>> threadsOfConnection;
  for (const TEngineCall& call : engine_.Calls())
    if (call.Name == "AdsOpenTable") threadsOfConnection[call["connection"]].insert(call.Thread);
  ASSERT_EQ(threadsOfConnection.size(), 2u);
  std::set<std::string> threads;
  for (const auto& [connection, users] : threadsOfConnection) {
    EXPECT_EQ(users.size(), 1u) << connection;
    threads.insert(users.begin(), users.end());
  }
  EXPECT_EQ(threads.size(), 2u);
}

TEST_F(AceDllTest, TheSelfCheckOpensTheCarriedTablesAndLeavesNothingBehind) {
  EXPECT_EQ(SelfCheckFailure(*dll_), "");
  std::vector<TEngineCall> calls = engine_.SelfCheckCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_TRUE(engine_.WorkCalls().empty());
  std::string folder = calls[0]["path"];
  std::vector<std::string> expected = {"AdsConnect60"};
  for (const std::vector<std::string>& part :
       {OpenSequence({}), OpenSequence({}), OpenSequence({1}), {"AdsDisconnect"}})
    expected.insert(expected.end(), part.begin(), part.end());
  // ARTIKEL's index is built while it is open, before it is closed.
  expected.insert(expected.begin() + 1 + 2 * OpenSequence({}).size() - 1, "AdsCreateIndex61");
  EXPECT_EQ(TStandInEngine::Names(calls), expected);
  std::vector<std::string> opened;
  for (const TEngineCall& call : calls)
    if (call.Name == "AdsOpenTable") opened.push_back(call["path"]);
  EXPECT_EQ(opened, (std::vector<std::string>{folder + "NOTIZEN.ADT", folder + "ARTIKEL.ADT",
                                              folder + "ARTIKEL.ADT"}));
  const TEngineCall& create = *std::find_if(calls.begin(), calls.end(), [](const TEngineCall& c) {
    return c.Name == "AdsCreateIndex61";
  });
  EXPECT_EQ(create.Args, (std::map<std::string, std::string>{{"handle", create["handle"]},
                                                             {"file", "NULL"},
                                                             {"tag", "NR"},
                                                             {"expression", "NR"},
                                                             {"condition", ""},
                                                             {"while", ""},
                                                             {"options", "2"},
                                                             {"pagesize", "512"}}));
  EXPECT_FALSE(test::Exists(folder)) << folder;
}

TEST_F(AceDllTest, AFailingStepOfTheSelfCheckIsNamedWithTheEnginesText) {
  struct TCase {
    std::string Script;
    std::string Failure;
  };
  const std::string corrupt = "7016 Error 7016:  Corrupt table";
  for (const TCase& c : {
           TCase{"fail AdsConnect60 * 6420 Error 6420:  Discovery failure",
                 "das Verbinden mit dem Testordner scheitert (Error 6420:  Discovery failure)"},
           TCase{"fail AdsGetAllIndexes NOTIZEN.ADT " + corrupt,
                 "das Öffnen von NOTIZEN.ADT scheitert (Error 7016:  Corrupt table)"},
           TCase{"fail AdsOpenTable ARTIKEL.ADT " + corrupt,
                 "das Öffnen von ARTIKEL.ADT scheitert (Error 7016:  Corrupt table)"},
           TCase{"fail AdsCreateIndex61 * 5175 Error 5175:  Other collation",
                 "das Anlegen des Index NR von ARTIKEL.ADT scheitert (Error 5175:  Other "
                 "collation)"},
           TCase{"fail AdsGetIndexPageSize * 5014 Error 5014:  No index order",
                 "das Öffnen von ARTIKEL.ADT mit Index scheitert (Error 5014:  No index order)"},
       }) {
    SCOPED_TRACE(c.Script);
    engine_.Script(c.Script + "\r\n");
    engine_.ClearCalls();
    EXPECT_EQ(SelfCheckFailure(*dll_), c.Failure);
    std::vector<TEngineCall> calls = engine_.SelfCheckCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_FALSE(test::Exists(calls[0]["path"])) << "the folder is removed after a failure too";
  }
}

// The carried tables are the engine's own: byte for byte the fixtures it
// wrote, and the built-in engine opens them as well.
TEST(SelfCheckTables, AreTheTablesTheEngineWrote) {
  test::TTempDir folder;
  std::vector<std::string> names;
  for (const TEmbeddedFile& file : SelfCheckTableFiles()) {
    std::string bytes(reinterpret_cast<const char*>(file.Bytes), file.Size);
    EXPECT_EQ(bytes, test::ReadBytes(test::TestDataDir() + "adt\\engine12\\" + file.Name))
        << file.Name;
    test::WriteBytes(folder / file.Name, bytes);
    names.push_back(file.Name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"NOTIZEN.ADT", "NOTIZEN.adm", "ARTIKEL.ADT"}));
  TAdsConnection connection(BuiltinAdsProvider());
  connection.ConnectPath = folder.Path();
  TAdsTable table(BuiltinAdsProvider());
  table.Connection = &connection;
  for (const char* name : {kSelfCheckMemoTable, kSelfCheckIndexedTable}) {
    table.TableName = name;
    EXPECT_NO_THROW(table.Open()) << name;
    table.Close();
  }
}

class AceDllSearchTest : public testing::Test {
 protected:
  TTempDir work_;
  TStandInEngine engine_{work_.Path()};
};

TEST_F(AceDllSearchTest, OnlyAUsableDllIsTakenAndEveryRefusalSaysWhy) {
  std::string name = TStandInEngine::DllName();
  std::string missing = work_ / "Leer\\";
  std::string partial = work_ / "Teilweise\\";
  std::string other = work_ / "Andere\\";
  std::string garbage = work_ / "Kaputt\\";
  TStandInEngine::PlaceIn(partial, TStandIn::WithoutGotoBOF);
  TStandInEngine::PlaceIn(other, TStandIn::OtherBitness);
  test::WriteBytes(garbage + name, "MZ but nothing else");
  TAceDllSearch search = TAceDllProvider::Load({missing, "Programm\\", partial, other, garbage});
  EXPECT_FALSE(search.Provider);
  ASSERT_EQ(search.Refusals.size(), 5u);
  EXPECT_EQ(search.Refusals[0], missing + name + " nicht vorhanden");
  EXPECT_EQ(search.Refusals[1], "\"Programm\\\" ist kein vollständiger Pfad");
  EXPECT_EQ(search.Refusals[2], partial + name + ": die Funktion AdsGotoBOF fehlt");
  std::string own = sizeof(void*) == 8 ? "64-Bit" : "32-Bit";
  std::string wrong = sizeof(void*) == 8 ? "32-Bit" : "64-Bit";
  EXPECT_EQ(search.Refusals[3], other + name + " ist eine " + wrong +
                                    "-DLL; dieses Programm braucht eine " + own + "-DLL");
  EXPECT_EQ(search.Refusals[4], garbage + name + " ist keine DLL");
  EXPECT_TRUE(engine_.Calls().empty()) << "no refused DLL was ever called";
}

TEST_F(AceDllSearchTest, ADllThatFailsTheSelfCheckIsPassedOverWithTheReason) {
  std::string first = work_ / "Erster\\";
  std::string second = work_ / "Zweiter\\";
  TStandInEngine::PlaceIn(first);
  TStandInEngine::PlaceIn(second);
  engine_.Script("fail AdsGetSegmentFieldname * 5030 Error 5030:  No such column\r\n");
  TAceDllSearch search = TAceDllProvider::Load({first, second});
  EXPECT_FALSE(search.Provider);
  std::string reason =
      " besteht den Selbsttest nicht: das Öffnen von ARTIKEL.ADT mit Index scheitert (Error "
      "5030:  No such column)";
  EXPECT_EQ(search.Refusals,
            (std::vector<std::string>{first + TStandInEngine::DllName() + reason,
                                      second + TStandInEngine::DllName() + reason}));
  engine_.Script("");
  search = TAceDllProvider::Load({first, second});
  ASSERT_TRUE(search.Provider);
  EXPECT_TRUE(search.Refusals.empty());
}

TEST_F(AceDllSearchTest, TheFirstUsableFolderWins) {
  std::string partial = work_ / "Teilweise\\";
  std::string first = work_ / "Erster\\";
  std::string second = work_ / "Zweiter\\";
  TStandInEngine::PlaceIn(partial, TStandIn::WithoutGotoBOF);
  TStandInEngine::PlaceIn(first);
  TStandInEngine::PlaceIn(second);
  TAceDllSearch search = TAceDllProvider::Load({partial, first, second});
  ASSERT_TRUE(search.Provider);
  EXPECT_EQ(search.Provider->Path(), first + TStandInEngine::DllName());
  EXPECT_EQ(search.Refusals.size(), 1u);
}

}  // namespace
}  // namespace qv
