#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "StandInEngine.h"
#include "engine/AceDllProvider.h"
#include "engine/AdsDataset.h"

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

TEST_F(AceDllTest, OpeningATableMakesTheEngineCallsInOrderWithTheirArguments) {
  ASSERT_EQ(OpenError("KUNDEN.ADT"), "");
  TAdsHandle connectionHandle = connection_.Handle();
  table_.Close();
  connection_.Disconnect();
  std::vector<TEngineCall> calls = engine_.Calls();
  std::vector<std::string> names;
  for (const TEngineCall& call : calls) names.push_back(call.Name);
  std::vector<std::string> field = {"AdsGetFieldName", "AdsGetFieldType", "AdsGetFieldLength",
                                    "AdsGetFieldDecimals"};
  std::vector<std::string> expected = {
      "AdsConnect60",     "AdsOpenTable",        "AdsGetRecordLength",   "AdsGetTableOpenOptions",
      "AdsGetAllIndexes", "AdsGetIndexPageSize", "AdsGetBookmarkLength", "AdsGetNumFields"};
  for (int i = 0; i < 2; ++i) expected.insert(expected.end(), field.begin(), field.end());
  expected.push_back("AdsGetNumIndexes");
  for (int segments : {1, 2}) {
    expected.push_back("AdsGetIndexName");
    expected.push_back("AdsGetNumSegments");
    for (int s = 0; s < segments; ++s) expected.push_back("AdsGetSegmentFieldname");
    for (const char* flag : {"AdsIsIndexUnique", "AdsIsIndexDescending", "AdsIsIndexPrimaryKey"})
      expected.push_back(flag);
  }
  for (const char* last : {"AdsGotoBOF", "AdsCloseTable", "AdsDisconnect"})
    expected.push_back(last);
  EXPECT_EQ(names, expected);
  ASSERT_EQ(calls.size(), expected.size());

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
