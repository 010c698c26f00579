#include "zip/ZipVerify.h"

#include <gtest/gtest.h>

#include "zip/ZipWriter.h"

namespace qv {
namespace {

// An archive of three entries: text, bytes that do not compress, and empty.
std::vector<std::uint8_t> Archive(TZipCompressionMethod method = TZipCompressionMethod::cmDeflate) {
  TMemoryStream out;
  TZipWriter zip;
  zip.CompressionMethod = method;
  zip.CreateArchiveOnStream(out);
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "Zeile " + std::to_string(i) + " der Kundentabelle\r\n";
  std::string noise(70000, '\0');
  unsigned state = 7;
  for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  zip.NewEntry("KUNDEN.ADT", 0x21000000u, 0x20);
  zip.Write(text.data(), static_cast<std::uint32_t>(text.size()));
  zip.NewEntry("sub/roh.bin", 0x21000000u, 0x20);
  zip.Write(noise.data(), static_cast<std::uint32_t>(noise.size()));
  zip.NewEntry("leer.txt", 0x21000000u, 0x20);
  zip.Close();
  return out.Bytes();
}

TArchiveCheck Check(std::vector<std::uint8_t> bytes) {
  TMemoryStream in(std::move(bytes));
  return VerifyArchive(in);
}

TEST(ZipVerify, SoundArchivesAreReadBackWhole) {
  for (auto method : {TZipCompressionMethod::cmDeflate, TZipCompressionMethod::cmNone}) {
    TArchiveCheck check = Check(Archive(method));
    EXPECT_TRUE(check.Sound()) << static_cast<int>(method) << ": "
                               << (check.Problems.empty() ? "" : check.Problems[0]);
    EXPECT_EQ(check.Entries, 3u);
    EXPECT_GT(check.Bytes, 70000u);
  }
  TMemoryStream empty;
  TZipWriter zip;
  zip.CreateArchiveOnStream(empty);
  zip.Close();
  EXPECT_TRUE(Check(empty.Bytes()).Sound()) << "an empty part is a sound archive";
}

// An entry announced as larger than 4 GiB carries its sizes in ZIP64 fields,
// in the local header as in the directory; both agree.
TEST(ZipVerify, Zip64EntriesAreSound) {
  TMemoryStream out;
  TZipWriter zip;
  zip.CreateArchiveOnStream(out);
  std::string text(100000, 'k');
  zip.NewEntry("GROSS.ADT", 0x21000000u, 0x20, 5ull << 30);
  zip.Write(text.data(), static_cast<std::uint32_t>(text.size()));
  zip.NewEntry("klein.txt", 0x21000000u, 0x20);
  zip.Write(text.data(), 10);
  zip.Close();
  std::vector<std::uint8_t> bytes = out.Bytes();
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 18, bytes.begin() + 26),
            std::vector<std::uint8_t>(8, 0xFF))
      << "the first local header's sizes are in its ZIP64 field";
  TArchiveCheck check = Check(bytes);
  EXPECT_TRUE(check.Sound()) << (check.Problems.empty() ? "" : check.Problems[0]);
  EXPECT_EQ(check.Entries, 2u);
  EXPECT_EQ(check.Bytes, 100010u);
}

// Regression: zero-padded table tails compress so well that the last input
// chunk may hold more output than one buffer; sound entries were then named
// "Daten abgeschnitten". Sizes just past the buffer boundaries hit it.
TEST(ZipVerify, HighlyCompressibleEntriesOfEverySizeAreSound) {
  TMemoryStream out;
  TZipWriter zip;
  zip.CreateArchiveOnStream(out);
  int entries = 0;
  for (std::size_t base : {65536u, 131072u, 196608u, 1048576u}) {
    for (std::size_t extra = 1; extra <= 2048; extra += 97) {
      std::string data = "ab" + std::string(base + extra, '\0');
      zip.NewEntry("nullen" + std::to_string(entries++) + ".adt", 0x21000000u, 0x20);
      zip.Write(data.data(), static_cast<std::uint32_t>(data.size()));
    }
  }
  zip.Close();
  TArchiveCheck check = Check(out.Bytes());
  EXPECT_TRUE(check.Sound()) << (check.Problems.empty() ? "" : check.Problems[0]);
  EXPECT_EQ(check.Entries, static_cast<std::uint64_t>(entries));
}

TEST(ZipVerify, EveryDamageIsNamed) {
  std::vector<std::uint8_t> good = Archive();
  struct TCase {
    const char* What;
    std::vector<std::uint8_t> Bytes;
    const char* Named;  // a text the first problem contains
  };
  std::vector<std::uint8_t> flipped = good;
  flipped[200] ^= 0x55;  // inside the first entry's deflate data
  std::vector<std::uint8_t> torn(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  std::vector<std::uint8_t> wrongCrc = good;
  // The central header's CRC field of the first entry.
  size_t central = good.size();
  for (size_t i = 0; i + 4 <= good.size(); ++i)
    if (good[i] == 0x50 && good[i + 1] == 0x4B && good[i + 2] == 0x01 && good[i + 3] == 0x02) {
      central = i;
      break;
    }
  ASSERT_LT(central, good.size());
  wrongCrc[central + 16] ^= 0x01;
  std::vector<std::uint8_t> wrongSize = good;
  wrongSize[central + 24] ^= 0x01;
  // The first local header as if its CRC and sizes had never been patched in,
  // and one that names another entry.
  std::vector<std::uint8_t> unpatched = good;
  std::fill(unpatched.begin() + 14, unpatched.begin() + 26, 0);
  std::vector<std::uint8_t> renamed = good;
  renamed[30] = 'X';
  std::vector<std::uint8_t> none = {'k', 'e', 'i', 'n'};
  const TCase cases[] = {
      {"a flipped data byte", flipped, "KUNDEN.ADT: "},
      {"the second half missing", torn, "Ende des Inhaltsverzeichnisses fehlt"},
      {"a CRC that does not match", wrongCrc, "KUNDEN.ADT: CRC-32 stimmt nicht"},
      {"a size that does not match", wrongSize, "KUNDEN.ADT: Größe "},
      {"no archive at all", none, "kein Zip-Archiv"},
      {"an unpatched local header", unpatched,
       "KUNDEN.ADT: lokaler Kopf weicht vom Inhaltsverzeichnis ab"},
      {"a local header with another name", renamed,
       "KUNDEN.ADT: lokaler Kopf nennt einen anderen Namen"},
  };
  for (const TCase& c : cases) {
    TArchiveCheck check = Check(c.Bytes);
    ASSERT_FALSE(check.Sound()) << c.What;
    EXPECT_NE(check.Problems[0].find(c.Named), std::string::npos)
        << c.What << ": " << check.Problems[0];
  }
}

}  // namespace
}  // namespace qv
