#include <gtest/gtest.h>

#include "app/BaseList.h"
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

}  // namespace
}  // namespace qv
