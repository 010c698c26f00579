#include <gtest/gtest.h>

#include <algorithm>

#include "WinTestSupport.h"
#include "util/FileErrors.h"
#include "util/FileWalker.h"

namespace qv {
namespace {

using test::TTempDir;
using test::WriteBytes;

std::vector<std::string> Walk(TFileWalkerBase& finder) {
  std::vector<std::string> items;
  while (finder.FindNext()) items.push_back(finder.FoundPath());
  return items;
}

size_t IndexOf(const std::vector<std::string>& items, const std::string& item) {
  return static_cast<size_t>(std::find(items.begin(), items.end(), item) - items.begin());
}

class FileWalkerTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_ / "A\\x.adt", "12345");
    WriteBytes(dir_ / "A\\S\\y.adt", "1");
    WriteBytes(dir_ / "A\\S\\T\\z.txt", "1");
    WriteBytes(dir_ / "A\\.git\\config", "1");
    WriteBytes(dir_ / "A\\h.sys", "1");
    SetFileAttributesW(Widen(dir_ / "A\\h.sys").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    root_ = dir_ / "A";
  }
  TTempDir dir_;
  std::string root_;
};

TEST_F(FileWalkerTest, WalksDepthFirstPreOrder) {
  TFileWalker finder;
  finder.FileFilter = finder.FolderFilter = finder.Recurse = true;
  finder.SetSearchFolder(root_);
  EXPECT_EQ(finder.SearchFolder(), root_ + "\\");
  auto items = Walk(finder);
  std::string a = root_ + "\\";
  std::vector<std::string> expected = {a + "x.adt",    a + "h.sys",       a + "S\\",
                                       a + "S\\y.adt", a + "S\\T\\",      a + "S\\T\\z.txt",
                                       a + ".git\\",   a + ".git\\config"};
  EXPECT_EQ(items.size(), expected.size());
  for (const auto& e : expected) EXPECT_LT(IndexOf(items, e), items.size()) << e;
  EXPECT_LT(IndexOf(items, a + "S\\"), IndexOf(items, a + "S\\y.adt"));
  EXPECT_LT(IndexOf(items, a + "S\\T\\"), IndexOf(items, a + "S\\T\\z.txt"));
  // A folder's content comes before the parent's next entry.
  size_t s = IndexOf(items, a + "S\\");
  EXPECT_EQ(items[s + 1].rfind(a + "S\\", 0), 0u);
  EXPECT_EQ(items[s + 2].rfind(a + "S\\", 0), 0u);
  EXPECT_EQ(items[s + 3].rfind(a + "S\\", 0), 0u);
  EXPECT_EQ(finder.SearchFolder(), a);
}

TEST_F(FileWalkerTest, FoldersWithoutRecursionAreReportedNotEntered) {
  TFileWalker finder;
  finder.FolderFilter = true;
  finder.SetSearchFolder(root_);
  auto items = Walk(finder);
  std::sort(items.begin(), items.end());
  std::string a = root_ + "\\";
  EXPECT_EQ(items, (std::vector<std::string>{a + ".git\\", a + "S\\", a + "h.sys", a + "x.adt"}));
}

TEST_F(FileWalkerTest, FiltersDecideWhatIsReported) {
  TFileWalker folders;
  folders.FileFilter = false;
  folders.FolderFilter = folders.Recurse = true;
  folders.SetSearchFolder(root_);
  auto items = Walk(folders);
  EXPECT_EQ(items.size(), 3u);
  for (const auto& item : items) EXPECT_EQ(item.back(), '\\');

  TFileWalker nothing;
  nothing.FileFilter = false;
  nothing.Recurse = true;
  int progress = 0;
  nothing.OnProgress = [&](TFileWalkerBase&) { ++progress; };
  nothing.SetSearchFolder(root_);
  EXPECT_FALSE(nothing.FindNext());
  EXPECT_GE(progress, 8);  // every entry examined, nothing reported
}

TEST_F(FileWalkerTest, EntryDescribesTheReportedItem) {
  TFileWalker finder;
  finder.SetSearchFolder(root_);
  bool sawX = false;
  while (finder.FindNext()) {
    if (finder.CurrentEntry().Name == "x.adt") {
      sawX = true;
      EXPECT_EQ(finder.CurrentEntry().Size, 5u);
      EXPECT_FALSE(finder.CurrentEntry().IsFolder());
      TLocalTime created;
      EXPECT_TRUE(FileTimeToLocal(finder.CurrentEntry().CreationTime, created));
      EXPECT_GE(created.Year, 2020);
    }
  }
  EXPECT_TRUE(sawX);
}

TEST_F(FileWalkerTest, RestartsAfterFalseAndOnANewFolder) {
  TFileWalker finder;
  finder.FileFilter = finder.FolderFilter = finder.Recurse = true;
  finder.SetSearchFolder(root_);
  auto first = Walk(finder);
  auto second = Walk(finder);
  EXPECT_EQ(first, second);

  ASSERT_TRUE(finder.FindNext());
  ASSERT_TRUE(finder.FindNext());
  finder.SetSearchFolder(root_ + "\\S\\T");
  auto items = Walk(finder);
  EXPECT_EQ(items, std::vector<std::string>{root_ + "\\S\\T\\z.txt"});
}

TEST_F(FileWalkerTest, MissingFolderYieldsNothing) {
  TFileWalker finder;
  finder.FolderFilter = finder.Recurse = true;
  finder.SetSearchFolder(dir_ / "nowhere");
  EXPECT_FALSE(finder.FindNext());
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// A finder whose listing of one folder fails as an unreadable folder or a
// share that drops does.
class TFailingFinder final : public TFileWalker {
 public:
  TFailingFinder(std::string folder, DWORD error, bool atFirst)
      : failing_(std::move(folder)), error_(error), atFirst_(atFirst) {}

 protected:
  HANDLE FirstEntry(const std::string& pattern, WIN32_FIND_DATAW& data) override {
    if (atFirst_ && pattern == failing_ + "*") {
      SetLastError(error_);
      return INVALID_HANDLE_VALUE;
    }
    HANDLE search = TFileWalker::FirstEntry(pattern, data);
    if (pattern == failing_ + "*") failingSearch_ = search;
    return search;
  }
  BOOL NextEntry(HANDLE search, WIN32_FIND_DATAW& data) override {
    if (search == failingSearch_) {
      SetLastError(error_);
      return FALSE;
    }
    return TFileWalker::NextEntry(search, data);
  }

 private:
  std::string failing_;
  DWORD error_;
  bool atFirst_;
  HANDLE failingSearch_ = INVALID_HANDLE_VALUE;
};

TEST(FileWalkerFailures, AFailedListingIsAnErrorNotTheEnd) {
  TTempDir dir;
  WriteBytes(dir / "A\\x.adt", "1");
  WriteBytes(dir / "A\\S\\y.adt", "1");
  std::string sub = dir / "A\\S\\";
  for (bool atFirst : {true, false}) {
    for (DWORD error : {DWORD(ERROR_ACCESS_DENIED), DWORD(ERROR_NETNAME_DELETED)}) {
      TFailingFinder finder(sub, error, atFirst);
      finder.FolderFilter = true;
      finder.Recurse = true;
      finder.SetSearchFolder(dir / "A");
      try {
        while (finder.FindNext()) {
        }
        FAIL() << "the walk ended as if complete (" << error << ")";
      } catch (const EWalkError& e) {
        EXPECT_EQ(e.Code(), error);
        std::string text = e.what();
        EXPECT_EQ(text.rfind("Verzeichnis " + sub + " kann nicht gelesen werden: ", 0), 0u) << text;
        EXPECT_GT(text.size(), ("Verzeichnis " + sub + " kann nicht gelesen werden: ").size());
      }
    }
  }
}

TEST(FileWalkerFailures, NoMoreFilesAndMissingFoldersEndTheWalk) {
  TTempDir dir;
  WriteBytes(dir / "A\\x.adt", "1");
  for (DWORD end : {DWORD(ERROR_NO_MORE_FILES), DWORD(ERROR_FILE_NOT_FOUND)}) {
    TFailingFinder finder(dir / "A\\", end, false);
    finder.SetSearchFolder(dir / "A");
    std::vector<std::string> items;
    EXPECT_NO_THROW(items = Walk(finder));
    EXPECT_LE(items.size(), 1u);
  }
  TFileWalker missing(true, false, false, dir / "fehlt");
  EXPECT_FALSE(missing.FindNext());
}

}  // namespace
}  // namespace qv
