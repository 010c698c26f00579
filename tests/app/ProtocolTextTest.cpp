#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/ProtocolText.h"
#include "util/Cp1252.h"

namespace qv {
namespace {

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
