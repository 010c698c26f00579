#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>

#include "OfficeRecords.h"
#include "zip/PreviousSet.h"
#include "zip/ZipReader.h"
#include "zip/ZipVerify.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

using TBytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kStamp = (46u << 25) | (12u << 21) | (8u << 16) | (14u << 11);

TBytes Records(std::size_t size, std::uint32_t seed) {
  std::string records = test::OfficeRecords(size, seed);
  return TBytes(records.begin(), records.end());
}

struct TFile {
  std::string Name;
  TBytes Data;
};
using TFiles = std::vector<TFile>;

TBytes WriteArchive(const TFiles& files, std::shared_ptr<TPreviousSet> previous,
                    std::size_t blockSize = kDeflateBlockSize) {
  TMemoryStream out;
  TZipWriter writer;
  writer.BlockSize = blockSize;
  writer.CreateArchiveOnStream(out);
  writer.TakeOverFrom(std::move(previous));
  for (const TFile& file : files) {
    TMemoryStream source(file.Data);
    writer.AddEntryTakingOver(source, file.Name, kStamp, 0x20, file.Data.size());
  }
  writer.Close();
  return out.Bytes();
}

std::shared_ptr<TPreviousSet> SetOf(const std::vector<TBytes>& parts) {
  auto set = std::make_shared<TPreviousSet>();
  for (const TBytes& part : parts) set->AddPart(std::make_unique<TMemoryStream>(part));
  return set;
}

// The compressed bytes of an entry, by name.
TBytes RawEntry(const TBytes& archive, const std::string& name) {
  TMemoryStream in(archive);
  for (const TStoredEntry& e : ReadCentralDirectory(in)) {
    if (e.Name != name) continue;
    TEntryRead read = ReadEntryData(in, e, [](const std::uint8_t*, std::size_t) { return true; });
    auto from = archive.begin() + static_cast<std::ptrdiff_t>(read.DataStart);
    return TBytes(from, from + static_cast<std::ptrdiff_t>(e.Compressed));
  }
  ADD_FAILURE() << name << " missing";
  return {};
}

// Flips a byte in the middle of an entry's compressed data.
TBytes WithFlippedByte(TBytes archive, const std::string& name) {
  TMemoryStream in(archive);
  for (const TStoredEntry& e : ReadCentralDirectory(in))
    if (e.Name == name) {
      TEntryRead read = ReadEntryData(in, e, [](const std::uint8_t*, std::size_t) { return true; });
      archive[read.DataStart + e.Compressed / 2] ^= 0x10;
    }
  return archive;
}

void KeepForReaders(const std::string& name, const TBytes& archive) {
  const char* dir = std::getenv("QV_ZIP_CHECK_DIR");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".zip", std::ios::binary)
      .write(reinterpret_cast<const char*>(archive.data()),
             static_cast<std::streamsize>(archive.size()));
}

class ZipTakeOverTest : public testing::Test {
 protected:
  void SetUp() override {
    TBytes last = Records(50000, 3);
    TBytes changedLast = last;
    changedLast.back() ^= 0x01;
    yesterday_ = {{"KUNDEN.ADT", Records(700000, 1)},
                  {"Unter/ARTIKEL.ADT", Records(90000, 2)},
                  {"LETZTES.ADT", last},
                  {"GLEICH.ADM", Records(40000, 4)},
                  {"LEER.ADI", {}},
                  {"WEG.ADT", Records(30000, 5)},
                  {"Brief über Äpfel.txt", Records(20000, 6)}};
    today_ = {{"KUNDEN.ADT", yesterday_[0].Data},
              {"Unter/ARTIKEL.ADT", yesterday_[1].Data},
              {"LETZTES.ADT", changedLast},
              {"GLEICH.ADM", Records(40000, 40)},
              {"LEER.ADI", {}},
              {"NEU.ADT", Records(60000, 7)},
              {"Brief über Äpfel.txt", yesterday_[6].Data}};
  }
  TBytes Fresh() const { return WriteArchive(today_, nullptr); }

  TFiles yesterday_, today_;
  const std::set<std::string> unchanged_{"KUNDEN.ADT", "Unter/ARTIKEL.ADT", "LEER.ADI",
                                         "Brief \x81"
                                         "ber \x8E"
                                         "pfel.txt"};
};

// Nothing in today's archive depends on yesterday's.
TEST_F(ZipTakeOverTest, ArchiveIsTheSameWithOrWithoutAnEarlierSet) {
  TBytes first = WriteArchive(yesterday_, nullptr);
  TFiles firstHalf(yesterday_.begin(), yesterday_.begin() + 3);
  TFiles secondHalf(yesterday_.begin() + 3, yesterday_.end());
  TBytes crcChanged = first;
  TMemoryStream in(first);
  for (const TStoredEntry& e : ReadCentralDirectory(in))
    if (e.Name == "KUNDEN.ADT") crcChanged[e.Offset + 14] ^= 0x01;  // the local header's CRC
  struct TCase {
    const char* Label;
    std::shared_ptr<TPreviousSet> Previous;
  } cases[] = {
      {"one part", SetOf({first})},
      {"split into parts",
       SetOf({WriteArchive(firstHalf, nullptr), WriteArchive(secondHalf, nullptr)})},
      {"flipped byte inside an entry", SetOf({WithFlippedByte(first, "KUNDEN.ADT")})},
      {"flipped byte inside a small entry", SetOf({WithFlippedByte(first, "LETZTES.ADT")})},
      {"local header disagrees", SetOf({crcChanged})},
      {"empty", SetOf({WriteArchive({}, nullptr)})},
      {"missing", nullptr},
  };
  TBytes fresh = Fresh();
  for (const TCase& c : cases) {
    TBytes today = WriteArchive(today_, c.Previous);
    EXPECT_EQ(today, fresh) << c.Label;
    TMemoryStream check(today);
    EXPECT_TRUE(VerifyArchive(check).Sound()) << c.Label;
  }
  KeepForReaders("takeover-today", WriteArchive(today_, SetOf({first})));
}

// An earlier set compressed differently (smaller blocks) shows which entries
// were taken over: those keep its compressed bytes.
TEST_F(ZipTakeOverTest, OnlyUnchangedIntactEntriesAreCopied) {
  TBytes marked = WriteArchive(yesterday_, nullptr, 4096);
  TBytes fresh = Fresh();
  struct TCase {
    const char* Label;
    TBytes Previous;
    std::set<std::string> Copied;
  } cases[] = {
      {"intact", marked, unchanged_},
      {"damaged",
       WithFlippedByte(marked, "KUNDEN.ADT"),
       {"Unter/ARTIKEL.ADT", "LEER.ADI",
        "Brief \x81"
        "ber \x8E"
        "pfel.txt"}},
  };
  for (const TCase& c : cases) {
    TBytes today = WriteArchive(today_, SetOf({c.Previous}));
    TMemoryStream in(today);
    for (const TStoredEntry& e : ReadCentralDirectory(in)) {
      const TBytes& source = c.Copied.count(e.Name) ? c.Previous : fresh;
      EXPECT_EQ(RawEntry(today, e.Name), RawEntry(source, e.Name)) << c.Label << ": " << e.Name;
    }
    TMemoryStream check(today);
    TArchiveCheck verdict = VerifyArchive(check);
    EXPECT_TRUE(verdict.Sound()) << c.Label;
    EXPECT_EQ(verdict.Entries, today_.size());
    KeepForReaders(std::string("takeover-marked-") + c.Label, today);
  }
}

TEST_F(ZipTakeOverTest, APartWithoutReadableDirectoryIsRefused) {
  TBytes first = WriteArchive(yesterday_, nullptr);
  TBytes cut(first.begin(), first.end() - 30);
  TBytes torn(first.begin(), first.begin() + 1000);
  for (const TBytes& part : {cut, torn, TBytes{}}) {
    TPreviousSet set;
    EXPECT_THROW(set.AddPart(std::make_unique<TMemoryStream>(part)), EBadArchive);
  }
}

}  // namespace
}  // namespace qv
