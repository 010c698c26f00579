#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "TestClock.h"
#include "UninstallEntry.h"
#include "WinTestSupport.h"
#include "app/DatabaseList.h"
#include "app/Protocol.h"
#include "util/FileUtils.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::TTempDir;
using test::WriteBytes;

class ProgramFolderTest : public testing::Test {
 protected:
  void SetUp() override { SetProgramFolderForTest(dir_.Path()); }
  void TearDown() override { SetProgramFolderForTest(""); }
  void WriteUninstallEntry(const std::string* location) { ASSERT_TRUE(entry_.Write(location)); }
  TTempDir dir_;
  test::TUninstallEntry entry_;
};

TEST_F(ProgramFolderTest, InstalledListComesFromTheUninstallEntry) {
  EXPECT_TRUE(InstalledDatabaseList().empty());  // no entry
  std::string install = dir_ / "Kontorix\\";
  WriteBytes(install + "BASE.LST", test::BaseListBytes({"C:\\Daten\\[Firma]", "D:\\M\xFCller"}));
  WriteUninstallEntry(&install);
  EXPECT_EQ(InstalledDatabaseList(), (TStringList{"C:\\Daten\\", "D:\\Müller\\"}));
}

TEST_F(ProgramFolderTest, EmptyInstallLocationMeansTheProgramFolder) {
  WriteBytes(dir_ / "BASE.LST", test::BaseListBytes({"E:\\Eigen"}));
  WriteUninstallEntry(nullptr);
  EXPECT_EQ(InstalledDatabaseList(), TStringList{"E:\\Eigen\\"});
}

TEST_F(ProgramFolderTest, UserDefinedListReplacesTheInstalledOne) {
  WriteBytes(dir_ / "BASE.LST", test::BaseListBytes({"E:\\Eigen"}));
  WriteUninstallEntry(nullptr);
  EXPECT_EQ(CurrentDatabaseList(), TStringList{"E:\\Eigen\\"});
  EXPECT_TRUE(IsExistingFolder(DatabaseUtilFolder()));
  WriteBytes(dir_ / "DATABASEUTIL\\UserDefined.txt", "  \r\n\t\r\n\r\n");
  EXPECT_EQ(CurrentDatabaseList(), TStringList{"E:\\Eigen\\"}) << "blank lines name no database";
  WriteBytes(dir_ / "DATABASEUTIL\\UserDefined.txt", "C:\\Eigene Daten\r\n\\\\srv\\K\xF6ln\r\n");
  EXPECT_EQ(CurrentDatabaseList(), (TStringList{"C:\\Eigene Daten", "\\\\srv\\Köln"}));
  // Blanks typed around a path would name a folder that does not exist.
  WriteBytes(dir_ / "DATABASEUTIL\\UserDefined.txt", " C:\\Eigene Daten \t\r\n\tD:\\Firma\\  \r\n");
  EXPECT_EQ(CurrentDatabaseList(), (TStringList{"C:\\Eigene Daten", "D:\\Firma\\"}));
}

TEST_F(ProgramFolderTest, UnreadableUserDefinedListIsNamedAndTheInstalledOneServes) {
  test::TFakeTime time;  // the 100 attempts pass on the sleep seam
  WriteBytes(dir_ / "BASE.LST", test::BaseListBytes({"E:\\Eigen"}));
  WriteUninstallEntry(nullptr);
  std::string path = DatabaseUtilFolder() + "UserDefined.txt";
  WriteBytes(path, "C:\\Eigene Daten\r\n");
  test::THeldFile locked(path, GENERIC_READ | GENERIC_WRITE, 0);
  std::string problem;
  EXPECT_EQ(CurrentDatabaseList(&problem), TStringList{"E:\\Eigen\\"});
  EXPECT_EQ(problem, "Die Datenbankliste " + path + " kann nicht gelesen werden: Datei " + path +
                         " kann nicht ge\xC3\xB6"
                         "ffnet werden");
  EXPECT_EQ(time.Sleeps(), 99);
  locked.Release();
  problem.clear();
  EXPECT_EQ(CurrentDatabaseList(&problem), TStringList{"C:\\Eigene Daten"});
  EXPECT_EQ(problem, "");
}

TEST_F(ProgramFolderTest, ProtocolKeepsCharactersTheAnsiCodePageLacks) {
  // Best-fit mapping would write "Zloty" and "c"; a reference keeps them.
  WriteProtocol(
      {"</b>08.12.2026 14:05:09<b></b>: Datenbank \"C:\\Złoty € č 数\\\" fertig.\r\n<hr>"});
  std::string log = ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.LOG");
  EXPECT_EQ(log,
            "</b>08.12.2026 14:05:09<b></b>: Datenbank \"C:\\Z&#322;oty \x80 &#269; &#25968;\\\" "
            "fertig.\r\n<hr>\r\n");
  std::string page = ReadBytes(ProtocolPageName());
  EXPECT_NE(page.find("Z&#322;oty \x80 &#269; &#25968;"), std::string::npos);
}

TEST_F(ProgramFolderTest, ProtocolFilesAreAnsiAndNewestFirst) {
  TStringList old;
  for (int i = 0; i < 1500; ++i) old.push_back("alt " + std::to_string(i));
  std::string oldText;
  for (const auto& line : old) oldText += line + "\r\n";
  WriteBytes(dir_ / "DATABASEUTIL\\QUORVEL.LOG", oldText);
  WriteProtocol(
      {"</b>08.12.2026 14:05:09<b></b>: Datenbank \"C:\\Müller\\\" fertig.\r\n<hr>\r\n<hr>"});
  std::string log = ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.LOG");
  EXPECT_EQ(
      log.substr(0, 76),
      "</b>08.12.2026 14:05:09<b></b>: Datenbank \"C:\\M\xFCller\\\" fertig.\r\n<hr>\r\n<hr>\r\n");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1003);
  EXPECT_NE(log.find("alt 999\r\n"), std::string::npos);
  EXPECT_EQ(log.find("alt 1000\r\n"), std::string::npos);
  std::string page = ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.htm");
  EXPECT_NE(page.find("<div><font size=3></b>08.12.2026 14:05:09<b></b>: Datenbank \"C:\\M\xFC"),
            std::string::npos);

  WriteProtocol({"previous run\r\n<hr>"}, std::string("Sicherungsverzeichnis fehlt!"));
  log = ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.LOG");
  EXPECT_EQ(log.substr(0, 30), "Sicherungsverzeichnis fehlt!\r\n");
  EXPECT_EQ(log.find("previous run"), std::string::npos);
}

// Two writers at once (the tray program and the console program) each keep
// the other's lines: none is saved over by a merge that missed it.
TEST_F(ProgramFolderTest, ProtocolWritersAtTheSameTimeKeepEveryLine) {
  constexpr int kLines = 60;
  auto writer = [](char name) {
    for (int i = 0; i < kLines; ++i)
      WriteProtocol({}, std::string("Zeile ") + name + std::to_string(i));
  };
  std::thread a(writer, 'a');
  std::thread b(writer, 'b');
  a.join();
  b.join();
  std::string log = ReadBytes(dir_ / "DATABASEUTIL\\QUORVEL.LOG");
  int missing = 0;
  for (char name : {'a', 'b'})
    for (int i = 0; i < kLines; ++i)
      missing +=
          log.find(std::string("Zeile ") + name + std::to_string(i) + "\r\n") == std::string::npos;
  EXPECT_EQ(missing, 0);
}

TEST_F(ProgramFolderTest, PageOfAnEmptyProtocol) {
  std::string path = WriteProtocolPage();
  EXPECT_EQ(path, dir_ / "DATABASEUTIL\\QUORVEL.htm");
  std::string expected = ReadBytes(test::TestDataDir() + "protocol\\empty-page.htm");
  EXPECT_EQ(ReadBytes(path), expected);
}

}  // namespace
}  // namespace qv
