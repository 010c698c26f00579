#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>

#include <windows.h>
#include <winioctl.h>

#include "WinTestSupport.h"
#include "ZipListing.h"
#include "util/FileErrors.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::THeldFile;
using test::TRecordingSleeper;
using test::TTempDir;
using test::WriteBytes;

// Where archives go for the host's readers (see check_archives.sh).
std::string CheckDir() {
  wchar_t buffer[4096] = {};
  GetEnvironmentVariableW(L"QV_ZIP_CHECK_DIR_WIN", buffer, 4096);
  return Narrow(buffer);
}

void WriteNames(const std::string& archive, const std::string& names) {
  std::string path = archive.substr(0, archive.size() - 4) + ".names";
  WriteBytes(path, names);
}

std::string MixedContent(size_t size) {
  std::string text;
  text.reserve(size);
  unsigned state = 12345;
  while (text.size() < size) {
    state = state * 1103515245u + 12345u;
    if ((state >> 16) % 4 == 0) {
      for (int i = 0; i < 64 && text.size() < size; ++i)
        text += static_cast<char>(state >> (i % 24));
    } else {
      text += "Kunde M\xFCller GmbH, K\xF6ln; Rechnung 2026-12-08; Betrag 1.234,56 EUR\r\n";
    }
  }
  text.resize(size);
  return text;
}

class ZipFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    src_ = dir_ / "Daten\\";
    WriteBytes(src_ + "KUNDEN.ADT", MixedContent(300000));
    WriteBytes(src_ + "leer.txt", "");
    WriteBytes(src_ + "Unter\\Tief\\Brief ä ß é.txt",
               "Gr\xFC\xDF"
               "e");
    WriteBytes(src_ + "Unter\\数据-Ω.txt", "unicode");
    WriteBytes(src_ + "Unter\\leer2.adm", "");
  }
  std::string Output(const std::string& name) {
    std::string dir = CheckDir();
    return dir.empty() ? dir_ / name : dir + "\\" + name;
  }
  TTempDir dir_;
  std::string src_;
};

TEST_F(ZipFilesTest, ArchiveOfATreeForTheHostReaders) {
  WriteBytes(src_ + "gross.adt", MixedContent(50u << 20));
  THeldFile writer(src_ + "KUNDEN.ADT", GENERIC_READ | GENERIC_WRITE,
                   FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(writer.Held());
  std::string archive = Output("tree.zip");
  TZipWriter zip;
  zip.OpenSharedWithRetry = true;
  zip.CreateArchive(archive);
  zip.SetBaseFolder(src_);
  const char* files[] = {"KUNDEN.ADT",        "leer.txt",         "Unter\\Tief\\Brief ä ß é.txt",
                         "Unter\\数据-Ω.txt", "Unter\\leer2.adm", "gross.adt"};
  std::string names;
  for (const char* file : files) {
    zip.AddFile(src_ + file);
    std::string name = file;
    for (char& c : name)
      if (c == '\\') c = '/';
    names += name + "\n";
  }
  zip.Close();
  WriteNames(archive, names);
  std::string bytes = ReadBytes(archive);
  EXPECT_NE(bytes.find("Unter/Tief/Brief \x84 \xE1 \x82.txt"), std::string::npos)
      << "OEM 850 names";
  EXPECT_NE(bytes.find("Unter/数据-Ω.txt"), std::string::npos)
      << "UTF-8 where OEM lacks characters";
  EXPECT_LT(bytes.size(), 30u << 20);  // it did compress
}

TEST_F(ZipFilesTest, NamesThatBestFitWouldChangeKeepTheirExactText) {
  // Windows' best-fit mapping would store these in OEM 850 as near letters
  // ("Złoty" as "Zloty"), so that the two files collide when restored.
  const char* files[] = {"Zloty.txt", "Złoty.txt", "ł Ł ő č ś š.txt", "Preis – 5 €.txt",
                         "Müller.txt"};
  std::string archive = Output("bestfit.zip");
  TZipWriter zip;
  zip.CreateArchive(archive);
  zip.SetBaseFolder(src_);
  std::string names;
  for (const char* file : files) {
    WriteBytes(src_ + file, file);
    zip.AddFile(src_ + file);
    names += std::string(file) + "\n";
  }
  zip.Close();
  WriteNames(archive, names);
  std::string bytes = ReadBytes(archive);
  auto count = [&](const std::string& text) {
    size_t n = 0;
    for (size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("Zloty.txt"), 2u) << "only the real Zloty.txt, in its two headers";
  EXPECT_EQ(count("Złoty.txt"), 2u) << "UTF-8 with flag bit 11";
  EXPECT_EQ(count("Preis – 5 €.txt"), 2u);
  EXPECT_EQ(count("M\x81ller.txt"), 2u) << "what OEM 850 holds stays OEM";
}

TEST_F(ZipFilesTest, HalfASurrogatePairInANameIsStoredAsValidUtf8) {
  // The name keeps the half pair so that its file is found; readers get U+FFFD.
  TZipWriter zip;
  zip.CreateArchive(dir_ / "surrogate.zip");
  TMemoryStream data;
  data.Write("Inhalt", 6);
  data.Seek(0);
  zip.AddStream(data, "Ablage\\a" + Narrow(L"\xD800") + "b.txt", 0, 0x20);
  zip.Close();
  std::string bytes = ReadBytes(dir_ / "surrogate.zip");
  test::TZipListing listing = test::ListZip(bytes);
  ASSERT_TRUE(listing.Valid);
  ASSERT_EQ(listing.Names.size(), 1u);
  EXPECT_EQ(listing.Names[0],
            "Ablage/a\xEF\xBF\xBD"
            "b.txt");
  EXPECT_EQ(static_cast<unsigned char>(bytes[7]) & 0x08, 0x08) << "flag bit 11: UTF-8 name";
}

TEST_F(ZipFilesTest, OwnArchiveIsSkipped) {
  std::string archive = src_ + "self.zip";
  TZipWriter zip;
  zip.CreateArchive(archive);
  zip.SetBaseFolder(src_);
  zip.AddFile(dir_ / "DATEN\\SELF.ZIP");
  zip.AddFile(src_ + "leer.txt");
  zip.Close();
  std::string b = ReadBytes(archive);
  EXPECT_EQ(static_cast<std::uint8_t>(b[b.size() - 22 + 8]), 1u);
}

TEST_F(ZipFilesTest, FileHeldWithoutSharingIsTriedHundredTimes) {
  TRecordingSleeper sleeper;
  THeldFile locked(src_ + "KUNDEN.ADT", GENERIC_READ | GENERIC_WRITE, 0);
  TZipWriter zip;
  zip.OpenSharedWithRetry = true;
  zip.CreateArchive(dir_ / "locked.zip");
  zip.SetBaseFolder(src_);
  try {
    zip.AddFile(src_ + "KUNDEN.ADT");
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Datei " + src_ + "KUNDEN.ADT kann nicht geöffnet werden");
  }
  EXPECT_EQ(sleeper.pauses, std::vector<unsigned>(99, 100));
  sleeper.pauses.clear();
  zip.OpenSharedWithRetry = false;
  EXPECT_THROW(zip.AddFile(src_ + "KUNDEN.ADT"), EFOpenError);
  EXPECT_TRUE(sleeper.pauses.empty());
  zip.Close();
}

// Does what another program does meanwhile, at one pause of a retry.
class TMeanwhile final : public ISleeper {
 public:
  TMeanwhile(size_t atPause, std::function<void()> action)
      : atPause_(atPause), action_(std::move(action)) {
    SetSleeperForTest(this);
  }
  ~TMeanwhile() override { SetSleeperForTest(nullptr); }
  TMeanwhile(const TMeanwhile&) = delete;
  TMeanwhile& operator=(const TMeanwhile&) = delete;
  void SleepMs(unsigned ms) override {
    pauses.push_back(ms);
    if (pauses.size() == atPause_) action_();
  }
  std::vector<unsigned> pauses;

 private:
  size_t atPause_;
  std::function<void()> action_;
};

TEST_F(ZipFilesTest, FileMissingForAMomentWhileSavedIsArchivedInItsNewVersion) {
  std::string archive = Output("saved.zip");
  TZipWriter zip;
  zip.OpenSharedWithRetry = true;
  zip.CreateArchive(archive);
  zip.SetBaseFolder(src_);
  DeleteFileW(Widen(src_ + "leer.txt").c_str());
  {
    TMeanwhile saving(1, [&] { WriteBytes(src_ + "leer.txt", "neue Fassung"); });
    zip.AddFile(src_ + "leer.txt");
    EXPECT_EQ(saving.pauses, std::vector<unsigned>{100});
  }
  // Still missing after five looks: removed for good, left out.
  TRecordingSleeper sleeper;
  EXPECT_THROW(zip.AddFile(src_ + "weg.txt"), EFileRemoved);
  EXPECT_EQ(sleeper.pauses, std::vector<unsigned>(4, 100));
  zip.Close();
  auto listing = test::ListZip(ReadBytes(archive));
  EXPECT_EQ(listing.Names, std::vector<std::string>{"leer.txt"});
  EXPECT_EQ(listing.Sizes, std::vector<std::uint64_t>{12});
  WriteNames(archive, "leer.txt\n");
}

TEST_F(ZipFilesTest, FileHeldAndThenRemovedIsLeftOut) {
  auto held = std::make_unique<THeldFile>(src_ + "KUNDEN.ADT", GENERIC_READ | GENERIC_WRITE, 0);
  TZipWriter zip;
  zip.OpenSharedWithRetry = true;
  zip.CreateArchive(dir_ / "heldgone.zip");
  zip.SetBaseFolder(src_);
  {
    // Its program closes it near the end of the waiting and removes it.
    TMeanwhile closing(97, [&] {
      held.reset();
      DeleteFileW(Widen(src_ + "KUNDEN.ADT").c_str());
    });
    EXPECT_THROW(zip.AddFile(src_ + "KUNDEN.ADT"), EFileRemoved);
    EXPECT_EQ(closing.pauses.size(), 99u);
  }
  zip.AddFile(src_ + "leer.txt");
  zip.Close();
  EXPECT_EQ(test::ListZip(ReadBytes(dir_ / "heldgone.zip")).Names,
            std::vector<std::string>{"leer.txt"});
}

TEST_F(ZipFilesTest, FailedCreateKeepsTheOpenArchiveOpen) {
  TZipWriter zip;
  zip.CreateArchive(dir_ / "first.zip");
  zip.SetBaseFolder(src_);
  zip.AddFile(src_ + "leer.txt");
  THeldFile blocker(dir_ / "second.zip", GENERIC_READ, 0);
  try {
    zip.CreateArchive(dir_ / "second.zip");
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Datei " + (dir_ / "second.zip") + " kann nicht erstellt werden");
  }
  EXPECT_TRUE(zip.ArchiveOpen());
  zip.AddFile(src_ + "KUNDEN.ADT");
  zip.Close();
  std::string b = ReadBytes(dir_ / "first.zip");
  EXPECT_EQ(static_cast<std::uint8_t>(b[b.size() - 22 + 8]), 2u);
}

TEST_F(ZipFilesTest, EntriesCarryTheAttributesOfTheirFiles) {
  struct TProtected {
    std::wstring Path;
    DWORD Before = GetFileAttributesW(Path.c_str());
    ~TProtected() { SetFileAttributesW(Path.c_str(), Before); }  // the folder can be removed
  } protectedFile{Widen(src_ + "leer.txt")};
  DWORD wanted = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(protectedFile.Path.c_str(), wanted));
  TZipWriter zip;
  zip.CreateArchive(dir_ / "attributes.zip");
  zip.SetBaseFolder(src_);
  zip.AddFile(src_ + "leer.txt");
  zip.AddFile(src_ + "KUNDEN.ADT");
  zip.Close();
  DWORD plain = GetFileAttributesW(Widen(src_ + "KUNDEN.ADT").c_str());
  test::TZipListing listing = test::ListZip(ReadBytes(dir_ / "attributes.zip"));
  ASSERT_TRUE(listing.Valid);
  ASSERT_EQ(listing.ExternalAttributes.size(), 2u);
  EXPECT_EQ(listing.ExternalAttributes[0], wanted);
  EXPECT_EQ(listing.ExternalAttributes[1], plain);
  EXPECT_FALSE(plain & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ZipFilesTest, FileTimesBefore1980AreMarked) {
  HANDLE h = CreateFileW(Widen(src_ + "leer.txt").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  SYSTEMTIME st{};
  st.wYear = 1975;
  st.wMonth = 6;
  st.wDay = 1;
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  TZipWriter zip;
  zip.CreateArchive(dir_ / "old.zip");
  zip.SetBaseFolder(src_);
  zip.AddFile(src_ + "leer.txt");
  zip.Close();
  std::string b = ReadBytes(dir_ / "old.zip");
  EXPECT_EQ(b.substr(10, 4), std::string(4, '\xFF'));
}

TEST(ZipLargeFiles, FileOver4GiBGetsZip64) {
  if (!std::getenv("QV_SLOW_TESTS")) GTEST_SKIP() << "slow: set QV_SLOW_TESTS";
  TTempDir dir;
  std::string source = dir / "riesig.adt";
  HANDLE h =
      CreateFileW(Widen(source).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &done, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = (4ll << 30) + 12345;
  SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  CloseHandle(h);
  std::string archive = CheckDir().empty() ? dir / "riesig.zip" : CheckDir() + "\\riesig.zip";
  TZipWriter zip;
  zip.CreateArchive(archive);
  zip.SetBaseFolder(dir.Path());
  zip.AddFile(source);
  zip.Close();
  WriteNames(archive, "riesig.adt\n");
  std::string b = ReadBytes(archive);
  EXPECT_EQ(static_cast<std::uint8_t>(b[4]), 45u);
}

}  // namespace
}  // namespace qv
