#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/BaseList.h"
#include "app/ProtocolText.h"
#include "util/Cp1252.h"

namespace qv {
namespace {

std::string Record(const std::string& ansiText, std::size_t headLength = 39) {
  std::string body = std::string(headLength, 'h') + ansiText;
  std::uint32_t length = static_cast<std::uint32_t>(body.size());
  std::string r(4, '\0');
  for (int i = 0; i < 4; ++i) r[static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i));
  return r + body;
}

std::string Count(std::int32_t n) {
  std::string c(4, '\0');
  for (int i = 0; i < 4; ++i)
    c[static_cast<size_t>(i)] = static_cast<char>(static_cast<std::uint32_t>(n) >> (8 * i));
  return c;
}

TStringList Parse(const std::string& bytes) {
  TStringList list = {"kept"};
  ParseBaseList(bytes, list);
  return list;
}

TEST(BaseListEntries, DirectoriesFromEntryTexts) {
  EXPECT_EQ(BaseListEntryDirectory("C:\\Kontorix\\Daten\\[Firma Müller]"), "C:\\Kontorix\\Daten\\");
  EXPECT_EQ(BaseListEntryDirectory("C:\\Kontorix\\Daten"), "C:\\Kontorix\\Daten\\");
  EXPECT_EQ(BaseListEntryDirectory("C:\\Kontorix\\Daten\\"), "C:\\Kontorix\\Daten\\");
  EXPECT_EQ(BaseListEntryDirectory("D"), "D:\\");
  EXPECT_EQ(BaseListEntryDirectory(""), "");
}

TEST(BaseListFile, RecordsOfEveryShape) {
  std::string file = Count(5) + Record("C:\\Daten\\[Firma]") + Record("\\\\server\\K\xF6ln\\") +
                     Record("E") + Record("", 20) + Record("D:\\Neu");
  EXPECT_EQ(Parse(file),
            (TStringList{"kept", "C:\\Daten\\", "\\\\server\\Köln\\", "E:\\", "", "D:\\Neu\\"}));
}

TEST(BaseListFile, DamagedFilesKeepWhatWasRead) {
  std::string two = Count(3) + Record("C:\\A") + Record("C:\\B");
  EXPECT_EQ(Parse(two + Record("C:\\C").substr(0, 20)),
            (TStringList{"kept", "C:\\A\\", "C:\\B\\"}));
  EXPECT_EQ(Parse(Count(0) + Record("C:\\A")), TStringList{"kept"});
  EXPECT_EQ(Parse(Count(-3) + Record("C:\\A")), TStringList{"kept"});
  EXPECT_EQ(Parse("\x01\x00"), TStringList{"kept"});
  std::string oversized =
      Count(3) + Record("C:\\A") + Record(std::string(470, 'x')) + Record("C:\\C");
  EXPECT_EQ(Parse(oversized), (TStringList{"kept", "C:\\A\\"}));
  std::string atLimit = Count(1) + Record(std::string(462, 'y'));  // 501 bytes of body
  EXPECT_EQ(Parse(atLimit).size(), 2u);
}

TEST(DatabaseListChoice, UserListWinsAndCaseChangesAreIgnored) {
  TStringList current = {"C:\\Daten\\"};
  EXPECT_EQ(ChooseDatabaseList(current, {"c:\\DATEN\\"}, {}), current);
  EXPECT_EQ(ChooseDatabaseList(current, {"C:\\Daten\\", "D:\\X\\"}, {}),
            (TStringList{"C:\\Daten\\", "D:\\X\\"}));
  EXPECT_EQ(ChooseDatabaseList(current, {"D:\\X\\"}, {"E:\\Eigen\\"}), TStringList{"E:\\Eigen\\"});
  EXPECT_EQ(ChooseDatabaseList(current, {}, {}), TStringList{});
}

TEST(ProtocolMerge, NewestFirstWithAThousandOldLines) {
  TStringList old;
  for (int i = 0; i < 1500; ++i) old.push_back("old " + std::to_string(i));
  TStringList run = {"a1\r\na2\r\n<hr>", "b1\r\n<hr>"};
  TStringList merged = MergeProtocol(old, run, std::nullopt);
  ASSERT_EQ(merged.size(), 1005u);
  EXPECT_EQ(TStringList(merged.begin(), merged.begin() + 6),
            (TStringList{"a1", "a2", "<hr>", "b1", "<hr>", "old 0"}));
  EXPECT_EQ(merged.back(), "old 999");
  TStringList four = MergeProtocol(old, {"x1\r\nx2\r\nx3\r\n<hr>"}, std::nullopt);
  EXPECT_EQ(four.size(), 1004u);
}

TEST(ProtocolMerge, MissingTargetLineStandsAlone) {
  TStringList merged =
      MergeProtocol({"old run", "<hr>"}, {"previous run\r\n<hr>"}, std::string(kTargetMissingLine));
  EXPECT_EQ(merged, (TStringList{"Sicherungsverzeichnis fehlt!", "old run", "<hr>"}));
}

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(QV_TESTDATA_DIR) + "/protocol/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ProtocolPageText, EmptyPageIsHeadHelpAndTail) {
  std::string expected = Fixture("empty-page.htm");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(Utf8ToCp1252(ProtocolPage({})), expected);
}

TEST(ProtocolPageText, LinesPassUnchanged) {
  std::string red =
      "</b>08.12.2026 14:05:09<b>: <FONT color=\"#FF0000\">Problem in Tabelle \"K\" : x</FONT>";
  std::string page = ProtocolPage({red, "<hr>"});
  std::string help = std::string("<div><font size=3>") + kProtocolHelp + "</font></div><hr><br>";
  size_t after = page.find(help) + help.size();
  EXPECT_EQ(page.substr(after, page.size() - after - std::string(kProtocolTail).size()),
            "<div><font size=3>" + red + "</font></div><div><font size=3><hr></font></div>");
}

}  // namespace
}  // namespace qv
