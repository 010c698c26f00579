// The file and directory calls take the long form of every path. Wine does
// not enforce the 260-character limit, but it keeps the plain form's other
// rules: a final dot or blank of a name is dropped. Only the long form
// reaches a file named "Anlage." or "Notiz " - so these names show that a
// call went through the conversion.
#include <gtest/gtest.h>

#include <algorithm>

#include "WinTestSupport.h"
#include "util/FileErrors.h"
#include "util/FileUtils.h"
#include "util/FileWalker.h"

namespace qv {
namespace {

using test::TTempDir;

// The names in a folder, read with the long form written out here.
std::vector<std::string> ListedNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  TFindHandle find(FindFirstFileW((L"\\\\?\\" + Widen(folder) + L"*").c_str(), &data));
  if (!find.valid()) return names;
  do {
    std::string name = Narrow(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

DWORD LongAttributes(const std::string& path) {
  return GetFileAttributesW((L"\\\\?\\" + Widen(path)).c_str());
}

std::vector<std::string> Walk(const std::string& folder) {
  std::vector<std::string> items;
  TFileWalker finder(true, true, true, folder);
  while (finder.FindNext()) items.push_back(finder.FoundPath());
  std::sort(items.begin(), items.end());
  return items;
}

class NamesOnlyTheLongFormReaches : public testing::TestWithParam<std::string> {
 protected:
  // What the test left behind is reached through the long form too (the
  // plain form cannot remove these names).
  void TearDown() override { DeleteFolderTree(dir.Path(), false); }
  test::TRecordingSleeper sleeper;  // a call that fails shows at once
  TTempDir dir;
};

TEST_P(NamesOnlyTheLongFormReaches, FilesAreWrittenFoundCopiedAndDeleted) {
  std::string folder = dir / "Daten\\";
  std::string file = folder + GetParam();
  SaveTextList({"eins", "zwei"}, file);
  EXPECT_EQ(ListedNames(folder), std::vector<std::string>{GetParam()});
  EXPECT_TRUE(IsExistingFile(file));
  TStringList loaded;
  LoadTextList(loaded, file);
  EXPECT_EQ(loaded, (TStringList{"eins", "zwei"}));
  EXPECT_EQ(Walk(folder), std::vector<std::string>{file});

  ASSERT_TRUE(CopyFileRetry(file, folder + "Kopie\\" + GetParam()));
  TFileStream copy(folder + "Kopie\\" + GetParam(), TFileAccess::Read, TFileShare::DenyWrite);
  EXPECT_EQ(ReadAllBytes(copy), "eins\r\nzwei\r\n");

  ASSERT_TRUE(SetFileAttributesW((L"\\\\?\\" + Widen(file)).c_str(), FILE_ATTRIBUTE_READONLY));
  {
    TBetterFileStream stream(file, true, TBetterFileStream::OpenAlways);
    EXPECT_FALSE(LongAttributes(file) & FILE_ATTRIBUTE_READONLY);
  }
  EXPECT_TRUE(LongAttributes(file) & FILE_ATTRIBUTE_READONLY);
  WriteReplacing(
      file, [](TFileStream& s) { s.Write("neu", 3); }, true);
  EXPECT_TRUE(LongAttributes(file) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((L"\\\\?\\" + Widen(file)).c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_TRUE(DeleteFileRetry(file));
  EXPECT_FALSE(IsExistingFile(file));
  EXPECT_EQ(ListedNames(folder), std::vector<std::string>{"Kopie"});
}

TEST_P(NamesOnlyTheLongFormReaches, FoldersAreMadeListedAndRemoved) {
  std::string folder = dir / GetParam() + "\\";
  ASSERT_TRUE(ForceFolders(folder + "Unter\\"));
  EXPECT_TRUE(IsExistingFolder(folder));
  EXPECT_EQ(ListedNames(dir.Path()), std::vector<std::string>{GetParam()});
  SaveTextList({"x"}, folder + "Unter\\a.txt");
  EXPECT_EQ(Walk(dir.Path()),
            (std::vector<std::string>{folder, folder + "Unter\\", folder + "Unter\\a.txt"}));
  DeleteFolderTree(folder, true);
  EXPECT_TRUE(ListedNames(dir.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(DeviceNameAndFinalDot, NamesOnlyTheLongFormReaches,
                         testing::Values("Anlage.", "Notiz "));

// A folder tree far deeper than 260 characters, named with "/" and ".." as
// users and settings may write paths.
TEST(DeepPaths, EveryOperationWorksFarBelow260Characters) {
  TTempDir dir;
  std::string deep = dir.Path();
  for (int level = 0; level < 8; ++level)
    deep += "Kunden 2026 Angebote Firma M\xC3\xBCller & S\xC3\xB6hne GmbH " +
            std::to_string(level) + "\\";
  ASSERT_GT(deep.size(), 400u);
  std::string file = deep + "Anlage.txt";
  ASSERT_TRUE(ForceFolders(deep));
  SaveTextList({"tief"}, file);
  EXPECT_TRUE(IsExistingFile(file));

  std::string spelled = deep + "x/../Anlage.txt";
  std::replace(spelled.begin(), spelled.begin() + 40, '\\', '/');
  TStringList loaded;
  LoadTextList(loaded, spelled);
  EXPECT_EQ(loaded, TStringList{"tief"});

  ASSERT_TRUE(CopyFileRetry(file, deep + "Kopie\\Anlage.txt"));
  EXPECT_EQ(Walk(deep),
            (std::vector<std::string>{file, deep + "Kopie\\", deep + "Kopie\\Anlage.txt"}));
  try {
    TFileStream missing(deep + "fehlt.txt", TFileAccess::Read, TFileShare::DenyWrite);
    ADD_FAILURE() << "a missing file opened";
  } catch (const EFOpenError& e) {
    // The user reads the plain path.
    EXPECT_EQ(std::string(e.what()), "Datei " + deep +
                                         "fehlt.txt kann nicht ge\xC3\xB6"
                                         "ffnet werden");
  }
  EXPECT_TRUE(DeleteFileRetry(deep + "Kopie\\Anlage.txt"));
  DeleteFolderTree(dir / "Kunden 2026 Angebote Firma M\xC3\xBCller & S\xC3\xB6hne GmbH 0", true);
  EXPECT_TRUE(ListedNames(dir.Path()).empty());
}

}  // namespace
}  // namespace qv
