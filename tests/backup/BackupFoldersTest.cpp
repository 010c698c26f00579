#include <gtest/gtest.h>

#include "backup/BackupFolders.h"
#include "backup/ReportText.h"
#include "util/Cp1252.h"

namespace qv {
namespace {

std::vector<std::string> Folders(const TStringList& dirs) {
  std::vector<std::string> names;
  for (const TBackupStart& start : PlanBackupFolders(dirs)) names.push_back(start.FolderName);
  return names;
}

size_t Characters(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(BackupFolders, DistinctDatabasesKeepTheirCleanedPaths) {
  EXPECT_EQ(Folders({"D:\\Firma\\Daten", "\\\\server\\daten\\Firma1\\"}),
            (std::vector<std::string>{"D__Firma_Daten", "__server_daten_Firma1"}));
}

TEST(BackupFolders, ADatabaseListedTwiceIsStartedOnce) {
  auto starts = PlanBackupFolders({"D:\\Daten\\", "d:\\DATEN", "D:\\Andere", "D:\\daten\\"});
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].DatabaseDir, "D:\\Daten\\");
  EXPECT_EQ(starts[1].DatabaseDir, "D:\\Andere");
}

TEST(BackupFolders, ACleanedPathTakenEarlierGetsTheMarkOfTheOwnPath) {
  auto names = Folders({"D:\\Firma\\Daten", "D:\\Firma_Daten", "D:\\Firma:Daten"});
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "D__Firma_Daten");
  for (size_t i : {1u, 2u}) {
    ASSERT_EQ(names[i].size(), names[0].size() + 9) << names[i];
    EXPECT_EQ(names[i].substr(0, names[0].size() + 1), names[0] + "~");
    EXPECT_EQ(names[i].find_first_not_of("0123456789ABCDEF", names[0].size() + 1),
              std::string::npos)
        << names[i];
  }
  EXPECT_NE(names[1], names[2]);
  // The mark belongs to the path, not to the place in the list or the writing.
  // (Folder names are compared without case, as Windows does.)
  EXPECT_TRUE(SameText1252(Folders({"D:\\Firma\\Daten", "d:\\firma_daten\\"})[1], names[1]));
  EXPECT_EQ(Folders({"D:\\Firma:Daten", "D:\\Firma\\Daten", "D:\\Firma_Daten"})[2], names[1]);
}

TEST(BackupFolders, AFolderMadeForAnotherDatabaseIsNotTaken) {
  std::string marked = Folders({"D:\\Firma\\Daten", "D:\\Firma_Daten"})[1];
  auto owners = [](const std::string& folder) -> std::string {
    return folder == "D__Firma_Daten" ? "D:\\Firma\\Daten" : "";
  };
  // The owner is not in this run (unreachable, or left the list): still its folder.
  auto starts = PlanBackupFolders({"D:\\Firma_Daten"}, owners);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].FolderName, marked);
  // The owner itself, however written, and a database whose folder has no owner.
  starts = PlanBackupFolders({"d:\\firma\\daten\\", "D:\\Andere"}, owners);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].FolderName, "d__firma_daten");
  EXPECT_EQ(starts[1].FolderName, "D__Andere");
}

TEST(BackupFolders, LongPathsCutAlikeStayAtOneHundredCharacters) {
  std::string common = "D:\\Kunden\\" + std::string(85, 'a') + "\\Anlagen \xC3\xA4";
  auto names = Folders({common + "\\Firma 1", common + "\\Firma 2", common + ".\\Firma 3"});
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], CleanPathName(common + "\\Firma 1"));
  EXPECT_EQ(Characters(names[0]), 100u);
  for (size_t i : {1u, 2u}) {
    EXPECT_EQ(Characters(names[i]), 100u) << names[i];
    EXPECT_EQ(names[i].substr(0, names[i].size() - 9), CleanPathName(common, 91));
  }
  EXPECT_NE(names[1], names[2]);
}

}  // namespace
}  // namespace qv
