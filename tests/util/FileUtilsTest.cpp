#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <windows.h>
#include <shlobj.h>

#include "WinTestSupport.h"
#include "util/FileErrors.h"
#include "util/FileUtils.h"
#include "util/Messages.h"
#include "util/FileWalker.h"

namespace qv {
namespace {

using test::Exists;
using test::ReadBytes;
using test::THeldFile;
using test::TRecordingSleeper;
using test::TTempDir;
using test::WriteBytes;

TEST(Existence, FilesFoldersAndHeldFiles) {
  TTempDir dir;
  WriteBytes(dir / "a.txt", "x");
  EXPECT_TRUE(IsExistingFile(dir / "a.txt"));
  EXPECT_FALSE(IsExistingFolder(dir / "a.txt"));
  EXPECT_FALSE(IsExistingFile(dir.Path()));
  EXPECT_TRUE(IsExistingFolder(dir.Path()));
  EXPECT_FALSE(IsExistingFile(dir / "missing.txt"));
  EXPECT_FALSE(IsExistingFile(dir / "missing\\deeper.txt"));
  EXPECT_FALSE(IsExistingFolder(dir / "missing"));

  THeldFile held(dir / "a.txt", GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_TRUE(held.Held());
  EXPECT_TRUE(IsExistingFile(dir / "a.txt"));

  WriteBytes(dir / "hidden.txt", "h");
  SetFileAttributesW(Widen(dir / "hidden.txt").c_str(),
                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_TRUE(IsExistingFile(dir / "hidden.txt"));
}

TEST(Folders, ForceFoldersCreatesEveryLevel) {
  TTempDir dir;
  EXPECT_TRUE(ForceFolders("C:\\"));
  EXPECT_TRUE(ForceFolders("C:"));
  EXPECT_TRUE(ForceFolders(dir / "a\\b\\c\\"));
  EXPECT_TRUE(IsExistingFolder(dir / "a"));
  EXPECT_TRUE(IsExistingFolder(dir / "a\\b"));
  EXPECT_TRUE(IsExistingFolder(dir / "a\\b\\c"));
  EXPECT_TRUE(ForceFolders(dir / "a\\b\\c"));  // existing: nothing to do

  WriteBytes(dir / "file", "x");
  EXPECT_FALSE(ForceFolders(dir / "file\\sub"));  // a file stands in the way

  ForceFileFolder(dir / "d\\e\\f.txt");
  EXPECT_TRUE(IsExistingFolder(dir / "d\\e"));
}

TEST(Folders, ForceFoldersRefusesAnEmptyPath) {
  try {
    ForceFolders("");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Verzeichnis kann nicht erstellt werden");
    EXPECT_EQ(e.Code(), 3u);
  }
}

TEST(Folders, DeleteFolderTreeLeavesHiddenFilesAndTheirParents) {
  TTempDir dir;
  std::string root = dir / "tree\\";
  WriteBytes(root + "top.txt", "1");
  WriteBytes(root + "a\\one.txt", "1");
  WriteBytes(root + "a\\b\\hidden.txt", "1");
  WriteBytes(root + "a\\b\\plain.txt", "1");
  WriteBytes(root + "c\\d\\deep.txt", "1");
  WriteBytes(root + "c\\readonly.txt", "1");
  SetFileAttributesW(Widen(root + "a\\b\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(Widen(root + "c\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);

  DeleteFolderTree(root, true);

  EXPECT_TRUE(Exists(root + "a\\b\\hidden.txt"));
  EXPECT_FALSE(Exists(root + "a\\b\\plain.txt"));
  EXPECT_FALSE(Exists(root + "a\\one.txt"));
  EXPECT_FALSE(Exists(root + "top.txt"));
  EXPECT_FALSE(Exists(root + "c"));
  EXPECT_TRUE(IsExistingFolder(root + "a\\b"));
  EXPECT_TRUE(IsExistingFolder(root));
}

TEST(Folders, DeleteFolderTreeWithoutRootKeepsTheRootFiles) {
  TTempDir dir;
  std::string root = dir / "tree\\";
  WriteBytes(root + "top.txt", "1");
  WriteBytes(root + "sub\\x.txt", "1");
  DeleteFolderTree(root, false);
  EXPECT_TRUE(Exists(root + "top.txt"));
  EXPECT_FALSE(Exists(root + "sub"));
  DeleteFolderTree(root, true);
  EXPECT_FALSE(Exists(root));
}

TEST(Deletion, DeleteFileRetry) {
  TRecordingSleeper sleeper;
  TTempDir dir;
  EXPECT_TRUE(DeleteFileRetry(dir / "never.txt"));
  WriteBytes(dir / "x.txt", "1");
  EXPECT_TRUE(DeleteFileRetry(dir / "x.txt"));
  EXPECT_FALSE(Exists(dir / "x.txt"));

  WriteBytes(dir / "held.txt", "1");
  THeldFile held(dir / "held.txt", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_FALSE(DeleteFileRetry(dir / "held.txt"));
  EXPECT_TRUE(Exists(dir / "held.txt"));
  EXPECT_TRUE(sleeper.pauses.empty());  // refused deletions are retried at once
}

TEST(Copying, EmptyAndHeldSources) {
  TTempDir dir;
  WriteBytes(dir / "empty.adt", "");
  EXPECT_TRUE(CopyFileRetry(dir / "empty.adt", dir / "out\\deeper\\empty.adt"));
  EXPECT_EQ(ReadBytes(dir / "out\\deeper\\empty.adt"), "");

  std::string content(200000, 'k');
  for (size_t i = 0; i < content.size(); i += 7) content[i] = static_cast<char>(i);
  WriteBytes(dir / "live.adt", content);
  THeldFile writer(dir / "live.adt", GENERIC_READ | GENERIC_WRITE,
                   FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.Held());
  EXPECT_TRUE(CopyFileRetry(dir / "live.adt", dir / "copy.adt"));
  EXPECT_EQ(ReadBytes(dir / "copy.adt"), content);

  // A scratch copy over a longer one of an earlier table holds the new bytes only.
  WriteBytes(dir / "scratch\\kurz.adt", std::string(300000, 'x'));
  WriteBytes(dir / "kurz.adt", "kurz");
  EXPECT_TRUE(
      CopyFileRetry(dir / "kurz.adt", dir / "scratch\\kurz.adt", nullptr, TCopyKind::Scratch));
  EXPECT_EQ(ReadBytes(dir / "scratch\\kurz.adt"), "kurz");
  EXPECT_TRUE(
      CopyFileRetry(dir / "live.adt", dir / "scratch\\new\\live.adt", nullptr, TCopyKind::Scratch));
  EXPECT_EQ(ReadBytes(dir / "scratch\\new\\live.adt"), content);
}

TEST(Copying, UnreadableSourceRaisesAtOnce) {
  TRecordingSleeper sleeper;
  TTempDir dir;
  try {
    CopyFileRetry(dir / "missing.adt", dir / "copy.adt");
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Datei " + (dir / "missing.adt") + " kann nicht geöffnet werden");
  }
  WriteBytes(dir / "locked.adt", "x");
  THeldFile locked(dir / "locked.adt", GENERIC_READ | GENERIC_WRITE, 0);
  EXPECT_THROW(CopyFileRetry(dir / "locked.adt", dir / "copy.adt"), EFOpenError);
  EXPECT_TRUE(sleeper.pauses.empty());
}

TEST(Copying, LockedTargetIsTriedTenTimesWithGrowingPauses) {
  TRecordingSleeper sleeper;
  TTempDir dir;
  WriteBytes(dir / "src.adt", "new");
  WriteBytes(dir / "dst.adt", "old");
  THeldFile locked(dir / "dst.adt", GENERIC_READ, 0);
  EXPECT_FALSE(CopyFileRetry(dir / "src.adt", dir / "dst.adt"));
  EXPECT_EQ(sleeper.pauses,
            (std::vector<unsigned>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
}

// Releases a held file at the n-th pause of a retry loop.
class TReleasingSleeper final : public ISleeper {
 public:
  TReleasingSleeper(test::THeldFile& held, size_t atPause) : held_(held), atPause_(atPause) {
    SetSleeperForTest(this);
  }
  ~TReleasingSleeper() override { SetSleeperForTest(nullptr); }
  void SleepMs(unsigned ms) override {
    pauses.push_back(ms);
    if (pauses.size() == atPause_) held_.Release();
  }
  std::vector<unsigned> pauses;

 private:
  test::THeldFile& held_;
  size_t atPause_;
};

TEST(Copying, LockedTargetReleasedWhileRetryingIsWritten) {
  TTempDir dir;
  WriteBytes(dir / "src.adt", "new content");
  WriteBytes(dir / "dst.adt", "old");
  THeldFile locked(dir / "dst.adt", GENERIC_READ, 0);
  TReleasingSleeper sleeper(locked, 2);  // two attempts fail first
  EXPECT_TRUE(CopyFileRetry(dir / "src.adt", dir / "dst.adt"));
  EXPECT_EQ(sleeper.pauses, (std::vector<unsigned>{100, 200}));
  EXPECT_EQ(ReadBytes(dir / "dst.adt"), "new content");
}

TEST(Copying, AWriteThatBreaksOffKeepsTheLastGoodTarget) {
  TTempDir dir;
  WriteBytes(dir / "DATA\\KUNDEN.ADT", "last good copy");
  // Half of the new content is written, then the disk is full.
  auto halfThenFull = [](TFileStream& out) {
    out.Write(std::string(100000, 'n').data(), 100000);
    throw EStreamError("Stream-Write-Fehler in Datei X: kein Platz");
  };
  EXPECT_THROW(WriteReplacing(dir / "DATA\\KUNDEN.ADT", halfThenFull, false), EStreamError);
  EXPECT_EQ(ReadBytes(dir / "DATA\\KUNDEN.ADT"), "last good copy");
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(dir / "DATA\\KUNDEN.ADT.~*").c_str(), &data);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "no temporary file is left";
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST(Copying, ACopyReplacesTheTargetOnlyWhenComplete) {
  TRecordingSleeper sleeper;
  TTempDir dir;
  WriteBytes(dir / "src.adt", "new");
  WriteBytes(dir / "dst.adt", "last good copy");
  // A target that cannot be replaced (held without delete sharing) stays whole.
  THeldFile held(dir / "dst.adt", GENERIC_READ, FILE_SHARE_READ);
  std::string reason;
  EXPECT_FALSE(CopyFileRetry(dir / "src.adt", dir / "dst.adt", &reason));
  EXPECT_EQ(reason.rfind("Datei " + (dir / "dst.adt") + " kann nicht erstellt werden", 0), 0u)
      << reason;
  held.Release();
  EXPECT_EQ(ReadBytes(dir / "dst.adt"), "last good copy");
}

TEST(Streams, AFailedWriteNamesTheFileAndTheReason) {
  TTempDir dir;
  WriteBytes(dir / "nur-lesen.txt", "x");
  TFileStream stream(dir / "nur-lesen.txt", TFileAccess::Read, TFileShare::DenyNone);
  try {
    stream.Write("y", 1);
    FAIL() << "the write succeeded";
  } catch (const EStreamError& e) {
    std::string text = e.what();
    std::string head = "Stream-Write-Fehler in Datei " + (dir / "nur-lesen.txt") + ": ";
    EXPECT_EQ(text.rfind(head, 0), 0u) << text;
    EXPECT_GT(text.size(), head.size()) << "the system's reason follows";
  }
}

TEST(TextLists, LoadKeepsOldLinesWhenTheFileIsMissing) {
  TTempDir dir;
  TStringList list = {"old"};
  LoadTextList(list, dir / "missing.txt");
  EXPECT_EQ(list, TStringList{"old"});
}

TEST(TextLists, LoadReadsAnsiAndEveryLineEnd) {
  TTempDir dir;
  WriteBytes(dir / "list.txt", "C:\\M\xFCller\r\nB\rC\nD\r\n");
  TStringList list = {"old"};
  LoadTextList(list, dir / "list.txt");
  EXPECT_EQ(list, (TStringList{"C:\\Müller", "B", "C", "D"}));
}

TEST(TextLists, LoadOfALockedFileRetriesThenRaises) {
  TRecordingSleeper sleeper;
  TTempDir dir;
  WriteBytes(dir / "list.txt", "a");
  THeldFile locked(dir / "list.txt", GENERIC_READ | GENERIC_WRITE, 0);
  TStringList list = {"old"};
  EXPECT_THROW(LoadTextList(list, dir / "list.txt"), EFOpenError);
  EXPECT_EQ(sleeper.pauses, std::vector<unsigned>(99, 100));
  EXPECT_EQ(list, TStringList{"old"});
}

TEST(TextLists, SaveWritesAnsiWithCrLf) {
  TTempDir dir;
  SaveTextList({"Köln", "", "ß"}, dir / "new\\folder\\list.txt");
  EXPECT_EQ(ReadBytes(dir / "new\\folder\\list.txt"), "K\xF6ln\r\n\r\n\xDF\r\n");
}

TEST(TextLists, SaveReplacesWholeAndKeepsAttributes) {
  TTempDir dir;
  std::string path = dir / "QUORVEL.LOG";
  WriteBytes(path, std::string(5000, 'o'));
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  SaveTextList({"neu"}, path);
  EXPECT_EQ(ReadBytes(path), "neu\r\n");
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  // Nothing but the target is left in the folder.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(dir / "*.*").c_str(), &data);
  int files = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  EXPECT_EQ(files, 1);
}

TEST(TextLists, FailedSaveLeavesTheOldContentWhole) {
  TRecordingSleeper sleeper;
  TTempDir dir;
  std::string path = dir / "QUORVEL.LOG";
  WriteBytes(path, "line 1\r\nline 2\r\n");
  THeldFile reader(path, GENERIC_READ, FILE_SHARE_READ);
  EXPECT_THROW(SaveTextList({"new"}, path), EFCreateError);
  EXPECT_EQ(sleeper.pauses.size(), 99u);
  EXPECT_FALSE(TrySaveTextList({"new"}, path));
  reader.Release();
  EXPECT_EQ(ReadBytes(path), "line 1\r\nline 2\r\n");
  EXPECT_TRUE(TrySaveTextList({"new"}, path));
  EXPECT_EQ(ReadBytes(path), "new\r\n");
}

TEST(Streams, BetterFileStreamClearsAndRestoresProtection) {
  TTempDir dir;
  std::string path = dir / "ro.txt";
  WriteBytes(path, "old");
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
  {
    TBetterFileStream stream(path, true, TBetterFileStream::CreateAlways);
    stream.Write("new", 3);
  }
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_TRUE(GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(Streams, OpenFileStreamRetryCreatesTheFolder) {
  TTempDir dir;
  auto stream =
      OpenFileStreamRetry(dir / "x\\y\\page.htm", TFileAccess::Create, TFileShare::Exclusive);
  stream->Write("abc", 3);
  stream.reset();
  EXPECT_EQ(ReadBytes(dir / "x\\y\\page.htm"), "abc");

  TRecordingSleeper sleeper;
  EXPECT_THROW(OpenFileStreamRetry(dir / "none.txt", TFileAccess::Read, TFileShare::DenyNone),
               EFOpenError);
  EXPECT_EQ(sleeper.pauses.size(), 99u);
}

TEST(Places, TempSubfolderSpecialFolderAndNames) {
  std::string scratch = TempSubfolder("Quorvel-test");
  EXPECT_TRUE(scratch.ends_with("\\KXTempDir\\Quorvel-test\\")) << scratch;
  EXPECT_TRUE(IsExistingFolder(scratch));
  EXPECT_TRUE(TempSubfolder("").ends_with("\\KXTempDir\\"));
  DeleteFolderTree(scratch, true);

  std::string documents = SpecialFolder(CSIDL_COMMON_DOCUMENTS);
  EXPECT_FALSE(documents.empty());
  EXPECT_EQ(documents.back(), '\\');

  std::string computer = ComputerName();
  EXPECT_FALSE(computer.empty());
  EXPECT_LE(computer.size(), 15u);

  std::uint32_t a = UniqueNumber(), b = UniqueNumber();
  EXPECT_NE(a, b);
  EXPECT_LT(a, 1u << 28);

  EXPECT_EQ(ReconnectNetworkPath("C:\\windows\\"), 0u);
}

TEST(Messages, PaintPumpKeepsAQuitMessage) {
  PostQuitMessage(5);
  ProcessPaintMessages();
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
}

// Regression: a quit posted while the window shrank away was swallowed by the
// animation's pump, and the program ran on invisibly with its instance held.
TEST(Messages, EveryPumpKeepsAQuitMessage) {
  for (bool (*pump)() : {+[] { return ProcessMessagesFor(20); }, &ProcessPendingMessages}) {
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);
    PostQuitMessage(7);
    EXPECT_FALSE(pump());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
  }
}

TEST(Messages, ProcessMessagesForEmptiesTheQueue) {
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);
  ProcessMessagesFor(20);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(UnicodeNames, FileOutsideTheAnsiCodePageSurvivesFindCopyDelete) {
  TTempDir dir;
  std::string name = "Дата-Ω-数据.adt";
  WriteBytes(dir / ("src\\" + name), "payload");
  TFileWalker finder;
  finder.SetSearchFolder(dir / "src");
  ASSERT_TRUE(finder.FindNext());
  EXPECT_EQ(finder.FoundPath(), dir / ("src\\" + name));
  EXPECT_TRUE(IsExistingFile(finder.FoundPath()));
  ASSERT_TRUE(CopyFileRetry(finder.FoundPath(), dir / ("dst\\" + name)));
  EXPECT_EQ(ReadBytes(dir / ("dst\\" + name)), "payload");
  EXPECT_TRUE(DeleteFileRetry(finder.FoundPath()));
  EXPECT_FALSE(IsExistingFile(dir / ("src\\" + name)));
  EXPECT_FALSE(finder.FindNext());
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// Two backup jobs start at once and both create their scratch folders below
// a KXTempDir that does not exist yet: both must get their folder.
TEST(Folders, ForceFoldersFromTwoThreadsAtOnce) {
  test::TTempDir dir;
  for (int round = 0; round < 200; ++round) {
    std::string shared = dir / ("r" + std::to_string(round) + "\\KXTempDir\\");
    bool a = false, b = false;
    std::atomic<int> ready{0};
    auto start = [&] {
      ++ready;
      while (ready.load() < 2) {
      }
    };
    std::thread first([&] {
      start();
      a = ForceFolders(shared + "Quorvel-1\\");
    });
    std::thread second([&] {
      start();
      b = ForceFolders(shared + "Quorvel-2\\");
    });
    first.join();
    second.join();
    ASSERT_TRUE(a && b) << "round " << round;
    EXPECT_TRUE(IsExistingFolder(shared + "Quorvel-1") && IsExistingFolder(shared + "Quorvel-2"));
  }
}

}  // namespace
}  // namespace qv
