#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <fstream>

#include "util/Cp850.h"
#include "zip/ZipFormat.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

std::string Bytes(const TMemoryStream& s) {
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

std::uint32_t U32(const std::string& b, size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<std::uint8_t>(b[at + static_cast<size_t>(i)]);
  return v;
}
std::uint16_t U16(const std::string& b, size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                    (static_cast<std::uint8_t>(b[at + 1]) << 8));
}
std::uint64_t U64(const std::string& b, size_t at) {
  return U32(b, at) | (static_cast<std::uint64_t>(U32(b, at + 4)) << 32);
}

constexpr std::uint32_t kStamp =
    (46u << 25) | (12u << 21) | (8u << 16) | (14u << 11) | (5u << 5) | 4u;

// Saves an archive for the host's independent readers (see check_archives.sh).
void KeepForReaders(const std::string& name, const TMemoryStream& archive,
                    const std::string& names) {
  const char* dir = std::getenv("QV_ZIP_CHECK_DIR");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".zip", std::ios::binary) << Bytes(archive);
  std::ofstream(std::string(dir) + "/" + name + ".names", std::ios::binary) << names;
}

TEST(ZipLayout, EmptyArchiveIsTheBareEndRecord) {
  TMemoryStream out;
  TZipWriter zip;
  zip.CreateArchiveOnStream(out);
  zip.Close();
  EXPECT_EQ(Bytes(out), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  zip.Close();  // a second Close does nothing
  EXPECT_EQ(out.Size(), 22u);
}

TEST(ZipLayout, EmptyFileEntryDeflated) {
  TMemoryStream out, empty;
  TZipWriter zip;
  zip.CreateArchiveOnStream(out);
  zip.AddStream(empty, "ab.adt", kStamp, 0x20);
  zip.Close();
  std::string b = Bytes(out);
  std::string local("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10);
  EXPECT_EQ(b.substr(0, 10), local);
  EXPECT_EQ(U32(b, 10), kStamp);
  EXPECT_EQ(U32(b, 14), 0u);  // CRC of nothing
  EXPECT_EQ(U32(b, 18), 2u);
  EXPECT_EQ(U32(b, 22), 0u);
  EXPECT_EQ(U16(b, 26), 6u);
  EXPECT_EQ(U16(b, 28), 0u);
  EXPECT_EQ(b.substr(30, 6), "ab.adt");
  EXPECT_EQ(b.substr(36, 2), std::string("\x03\x00", 2));
  size_t cd = 38;
  EXPECT_EQ(U32(b, cd), 0x02014B50u);
  EXPECT_EQ(U16(b, cd + 4), 20u);
  EXPECT_EQ(U16(b, cd + 6), 20u);
  EXPECT_EQ(U16(b, cd + 8), 0u);
  EXPECT_EQ(U16(b, cd + 10), 8u);
  EXPECT_EQ(U32(b, cd + 12), kStamp);
  EXPECT_EQ(U32(b, cd + 20), 2u);
  EXPECT_EQ(U16(b, cd + 30), 0u);
  EXPECT_EQ(U16(b, cd + 32), 0u);
  EXPECT_EQ(U16(b, cd + 36), 0u);  // zlib left the preset binary data type
  EXPECT_EQ(U32(b, cd + 38), 0x20u);
  EXPECT_EQ(U32(b, cd + 42), 0u);
  size_t end = cd + 46 + 6;
  ASSERT_EQ(b.size(), end + 22);
  EXPECT_EQ(U32(b, end), 0x06054B50u);
  EXPECT_EQ(U16(b, end + 8), 1u);
  EXPECT_EQ(U16(b, end + 10), 1u);
  EXPECT_EQ(U32(b, end + 12), 52u);
  EXPECT_EQ(U32(b, end + 16), 38u);
}

TEST(ZipLayout, StoredEntryKeepsTheBytes) {
  TMemoryStream out;
  TZipWriter zip;
  zip.CompressionMethod = TZipCompressionMethod::cmNone;
  zip.CreateArchiveOnStream(out);
  zip.NewEntry("x/y.txt", kStamp, 0x20);
  zip.Write("hello", 5);
  zip.Close();
  std::string b = Bytes(out);
  EXPECT_EQ(U16(b, 8), 0u);
  EXPECT_EQ(U32(b, 14),
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>("hello"), 5)));
  EXPECT_EQ(U32(b, 18), 5u);
  EXPECT_EQ(U32(b, 22), 5u);
  EXPECT_EQ(b.substr(30 + 7, 5), "hello");
  TMemoryStream empty;
  TMemoryStream out2;
  zip.CreateArchiveOnStream(out2);
  zip.AddStream(empty, "e.txt", kStamp, 0);
  zip.Close();
  EXPECT_EQ(U32(Bytes(out2), 18), 0u);
}

TEST(ZipLayout, FlagsFollowTheCompressionLevel) {
  const std::pair<int, std::uint16_t> cases[] = {{-1, 0}, {0, 0}, {1, 6}, {2, 4},
                                                 {3, 0},  {7, 0}, {8, 2}, {9, 2}};
  for (auto [level, flags] : cases) {
    TMemoryStream out, data(std::vector<std::uint8_t>(1000, 'a'));
    TZipWriter zip;
    zip.CompressionLevel = level;
    zip.CreateArchiveOnStream(out);
    zip.AddStream(data, "a.txt", kStamp, 0);
    zip.Close();
    EXPECT_EQ(U16(Bytes(out), 6), flags) << level;
  }
}

TEST(ZipLayout, TextDataTypeMarksTheEntryAsText) {
  TMemoryStream out, data(std::vector<std::uint8_t>(100, 'a'));
  TZipWriter zip;
  zip.DataType = TDataType::dtText;
  zip.EntryComment = "Notiz";
  zip.ZipComment = "Sicherung";
  zip.CreateArchiveOnStream(out);
  zip.AddStream(data, "a.txt", kStamp, 0);
  zip.Close();
  std::string b = Bytes(out);
  size_t cd = U32(b, b.size() - 22 - 9 + 16);
  EXPECT_EQ(U16(b, cd + 36), 1u);
  EXPECT_EQ(U16(b, cd + 32), 5u);
  EXPECT_EQ(b.substr(cd + 46 + 5, 5), "Notiz");
  EXPECT_EQ(b.substr(b.size() - 9), "Sicherung");
}

TEST(ZipNames, RejectedNamesWriteNothing) {
  TMemoryStream out;
  TZipWriter zip;
  EXPECT_THROW(zip.NewEntry("ab", 0, 0), EZipWriter);  // no archive yet
  try {
    zip.Write("x", 1);
    ADD_FAILURE() << "a write without an archive";
  } catch (const EZipWriter& e) {
    EXPECT_STREQ(e.what(), "Class TZipWriter: No ZIP archive created yet");
  }
  zip.CreateArchiveOnStream(out);
  try {
    zip.Write("x", 1);
    ADD_FAILURE() << "a write without an entry";
  } catch (const EZipWriter& e) {
    EXPECT_STREQ(e.what(), "Class TZipWriter: No ZIP entry created yet");
  }
  for (const char* name : {"C:\\x\\y.adt", "/abs/y.adt", "a", ""}) {
    try {
      zip.NewEntry(name, 0, 0);
      ADD_FAILURE() << name;
    } catch (const EZipWriter& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Class TZipWriter: EntryName \"") + name +
                                           "\" is an absolute path, must be relative");
    }
  }
  zip.Close();
  EXPECT_EQ(out.Size(), 22u);
}

TEST(ZipNames, BaseFolderFormsRelativeNames) {
  TZipWriter zip;
  zip.SetBaseFolder("D:\\Daten");
  EXPECT_EQ(zip.BaseFolder(), "D:\\Daten\\");
  EXPECT_EQ(zip.EntryNameFor("d:\\daten\\sub\\kunden.adt"), "sub\\kunden.adt");
  EXPECT_EQ(zip.EntryNameFor("E:\\x\\y.adt"), "y.adt");
  EXPECT_EQ(zip.EntryNameFor("D:\\DATEN\\Müller.adt"), "Müller.adt");
  zip.SetBaseFolder("D:\\Bücher");
  EXPECT_EQ(zip.EntryNameFor("d:\\BÜCHER\\a.adt"), "a.adt");  // accented letters fold too
  zip.SetBaseFolder("  ");
  EXPECT_EQ(zip.BaseFolder(), "  ");
  zip.SetBaseFolder("");
  EXPECT_EQ(zip.EntryNameFor("C:\\x\\y.adt"), "C:\\x\\y.adt");
  zip.SetBaseFolder("C:\\x\\");
  EXPECT_EQ(zip.BaseFolder(), "C:\\x\\");
}

TEST(ZipNames, OemNamesAndUtf8WhereOemLacksACharacter) {
  TMemoryStream out, empty;
  TZipWriter zip;
  zip.EncodeName = [](const std::string& text, bool* utf8) {  // a German PC: OEM 850
    bool lossy = false;
    std::string oem = Utf8ToCp850(text, &lossy);
    *utf8 = lossy;
    return lossy ? text : oem;
  };
  zip.CreateArchiveOnStream(out);
  zip.AddStream(empty, "ä.txt", kStamp, 0);
  zip.AddStream(empty, "Ω.txt", kStamp, 0);
  zip.Close();
  std::string b = Bytes(out);
  EXPECT_EQ(U16(b, 6), 0u);
  EXPECT_EQ(U16(b, 26), 5u);
  EXPECT_EQ(b.substr(30, 5), "\x84.txt");
  size_t second = 30 + 5 + 2;
  EXPECT_EQ(U16(b, second + 6), 0x0800u);
  EXPECT_EQ(b.substr(second + 30, 6), "Ω.txt");
  KeepForReaders("names", out, "ä.txt\nΩ.txt\n");
}

TEST(ZipLifecycle, NewArchiveCompletesTheOpenOne) {
  TMemoryStream first, second, data(std::vector<std::uint8_t>(10, 'z'));
  TZipWriter zip;
  zip.CreateArchiveOnStream(first);
  zip.NewEntry("a.txt", kStamp, 0);
  zip.Write("abc", 3);
  zip.CreateArchiveOnStream(second);
  std::string b = Bytes(first);
  EXPECT_EQ(U32(b, b.size() - 22), 0x06054B50u);
  EXPECT_EQ(U16(b, b.size() - 22 + 10), 1u);
  EXPECT_EQ(U32(b, 18), 5u);  // "abc" deflated
  zip.AddStream(data, "b.txt", kStamp, 0);
  zip.Close();
  EXPECT_EQ(U16(Bytes(second), second.Size() - 22 + 10), 1u);
}

// A stream whose system reports only at the flush that earlier writes were
// lost (a delayed write to a share that went away).
class TLostWritesStream final : public IStream {
 public:
  std::size_t Read(void* buffer, std::size_t count) override { return bytes_.Read(buffer, count); }
  void Write(const void* buffer, std::size_t count) override { bytes_.Write(buffer, count); }
  void Seek(std::uint64_t position) override { bytes_.Seek(position); }
  std::uint64_t Position() const override { return bytes_.Position(); }
  std::uint64_t Size() const override { return bytes_.Size(); }
  void Flush() override { throw EStreamError("Stream-Write-Fehler in Datei x.zip: verloren"); }

 private:
  TMemoryStream bytes_;
};

TEST(ZipLifecycle, AnArchiveWhoseFlushFailsIsNotTakenAsWritten) {
  TLostWritesStream lost;
  TZipWriter zip;
  zip.CreateArchiveOnStream(lost);
  zip.NewEntry("a.txt", kStamp, 0);
  zip.Write("abc", 3);
  EXPECT_THROW(zip.Close(), EStreamError);

  TMemoryStream next;  // the writer is ready for the next archive
  zip.CreateArchiveOnStream(next);
  zip.Close();
  EXPECT_EQ(next.Size(), 22u);
}

TEST(ZipLifecycle, DosTimeOfLocalTimes) {
  TLocalTime t;
  t.Year = 2026;
  t.Month = 12;
  t.Day = 8;
  t.Hour = 14;
  t.Minute = 5;
  t.Second = 9;
  EXPECT_EQ(zip::DosDateTime(t), kStamp);
  t.Year = 1979;
  EXPECT_EQ(zip::DosDateTime(t), 0xFFFFFFFFu);
}

TEST(ZipLifecycle, ProgressIsReportedWhileWriting) {
  TMemoryStream out;
  std::vector<std::uint8_t> data(200000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7919 % 251);
  TMemoryStream source(data);
  TZipWriter zip;
  std::uint32_t lastIn = 0;
  int calls = 0;
  zip.OnProgress = [&](TZipWriter&, std::uint32_t in, std::uint32_t) {
    EXPECT_GE(in, lastIn);
    lastIn = in;
    ++calls;
  };
  zip.CreateArchiveOnStream(out);
  zip.AddStream(source, "data.bin", kStamp, 0);
  zip.Close();
  EXPECT_GT(calls, 10);
  EXPECT_EQ(lastIn, 200000u);
  KeepForReaders("progress", out, "data.bin\n");
}

TEST(ZipLimits, ManyEntriesGetZip64EndRecords) {
  TMemoryStream out;
  TZipWriter zip;
  zip.CreateArchiveOnStream(out);
  constexpr int kEntries = 70000;
  std::string names;
  for (int i = 0; i < kEntries; ++i) {
    std::string name = "f" + std::to_string(i);
    zip.NewEntry(name, kStamp, 0);
    names += name + "\n";
  }
  zip.Close();
  std::string b = Bytes(out);
  size_t end = b.size() - 22;
  EXPECT_EQ(U16(b, end + 8), 0xFFFFu);
  size_t locator = end - 20;
  EXPECT_EQ(U32(b, locator), 0x07064B50u);
  size_t zip64End = static_cast<size_t>(U64(b, locator + 8));
  EXPECT_EQ(U32(b, zip64End), 0x06064B50u);
  EXPECT_EQ(U64(b, zip64End + 24), static_cast<std::uint64_t>(kEntries));
  KeepForReaders("many", out, names);
}

TEST(ZipLimits, OffsetsBeyond4GiBGoIntoZip64Fields) {
  TMemoryStream out, data(std::vector<std::uint8_t>(10, 'q'));
  TZipWriter zip;
  const std::uint64_t start = 0x100000010ull;
  zip.CreateArchiveOnStream(out, start);
  zip.AddStream(data, "late.txt", kStamp, 0);
  zip.Close();
  std::string b = Bytes(out);
  size_t end = b.size() - 22;
  EXPECT_EQ(U32(b, end + 16), 0xFFFFFFFFu);
  size_t locator = end - 20;
  ASSERT_EQ(U32(b, locator), 0x07064B50u);
  size_t zip64End = locator - 56;
  ASSERT_EQ(U32(b, zip64End), 0x06064B50u);
  std::uint64_t cdOffset = U64(b, zip64End + 48);
  size_t cd = static_cast<size_t>(cdOffset - start);
  ASSERT_EQ(U32(b, cd), 0x02014B50u);
  EXPECT_EQ(U16(b, cd + 6), 45u);
  EXPECT_EQ(U32(b, cd + 42), 0xFFFFFFFFu);
  EXPECT_EQ(U16(b, cd + 30), 12u);  // extra: id, size, the 64-bit offset
  EXPECT_EQ(U64(b, cd + 46 + 8 + 4), start);
}

TEST(ZipLimits, HugeExpectedSizeReservesZip64InTheLocalHeader) {
  TMemoryStream out, data(std::vector<std::uint8_t>(10, 'q'));
  TZipWriter zip;
  zip.CreateArchiveOnStream(out);
  zip.AddStream(data, "big.bin", kStamp, 0, 5ull << 30);
  zip.Close();
  std::string b = Bytes(out);
  EXPECT_EQ(U16(b, 4), 45u);
  EXPECT_EQ(U32(b, 18), 0xFFFFFFFFu);
  EXPECT_EQ(U16(b, 28), 20u);
  EXPECT_EQ(U64(b, 30 + 7 + 4), 10u);  // uncompressed size in the extra field
  KeepForReaders("reserved64", out, "big.bin\n");
}

}  // namespace
}  // namespace qv
