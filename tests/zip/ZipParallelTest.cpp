#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "zip/BlockPipeline.h"
#include "zip/CompressionPool.h"
#include "zip/DeflateBlock.h"
#include "zip/ZipVerify.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

using TBytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kStamp = (46u << 25) | (12u << 21) | (8u << 16) | (14u << 11);

// Table-like data: repeating records with varying numbers, so it compresses
// as the system's files do but not to nothing.
TBytes Records(std::size_t size, std::uint32_t seed) {
  TBytes data;
  data.reserve(size);
  std::uint32_t x = seed * 2654435761u + 1;
  while (data.size() < size) {
    x = x * 1664525u + 1013904223u;
    std::string record = "Kunde " + std::to_string(x % 100000) + ";Müller;" +
                         std::to_string((x >> 8) % 997) + ";Hauptstraße " +
                         std::to_string((x >> 16) % 200) + "\r\n";
    for (char c : record) data.push_back(static_cast<std::uint8_t>(c));
  }
  data.resize(size);
  return data;
}

TBytes InflateRaw(const std::uint8_t* data, std::size_t size, std::size_t expected) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  TBytes out(expected + 1);
  z.next_in = const_cast<std::uint8_t*>(data);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int result = inflate(&z, Z_FINISH);
  EXPECT_EQ(result, Z_STREAM_END);
  EXPECT_EQ(z.avail_in, 0u) << "nothing follows the stream's end";
  out.resize(out.size() - z.avail_out);
  inflateEnd(&z);
  return out;
}

std::uint32_t Crc(const TBytes& data) {
  return static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

struct TReadEntry {
  std::string Name;
  TBytes Data;
  std::uint32_t Crc = 0;
};

std::uint32_t U16(const TBytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t U32(const TBytes& b, std::size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

// Every entry in central-directory order, inflated from its local header.
std::vector<TReadEntry> ReadEntries(const TBytes& archive) {
  std::vector<TReadEntry> entries;
  std::size_t end = archive.size() - 22;
  std::size_t at = U32(archive, end + 16);
  for (std::uint32_t i = 0; i < U16(archive, end + 10); ++i) {
    EXPECT_EQ(U32(archive, at), 0x02014B50u);
    TReadEntry entry;
    entry.Crc = U32(archive, at + 16);
    std::uint32_t packed = U32(archive, at + 20), size = U32(archive, at + 24);
    std::uint32_t nameLength = U16(archive, at + 28);
    entry.Name.assign(archive.begin() + static_cast<std::ptrdiff_t>(at + 46),
                      archive.begin() + static_cast<std::ptrdiff_t>(at + 46 + nameLength));
    std::size_t local = U32(archive, at + 42);
    EXPECT_EQ(U32(archive, local + 14), entry.Crc) << "local header patched";
    EXPECT_EQ(U32(archive, local + 18), packed);
    std::size_t data = local + 30 + U16(archive, local + 26) + U16(archive, local + 28);
    entry.Data = InflateRaw(archive.data() + data, packed, size);
    EXPECT_EQ(entry.Data.size(), size) << entry.Name;
    entries.push_back(std::move(entry));
    at += 46 + nameLength + U16(archive, at + 30) + U16(archive, at + 32);
  }
  return entries;
}

void KeepForReaders(const std::string& name, const TMemoryStream& archive,
                    const std::string& names) {
  const char* dir = std::getenv("QV_ZIP_CHECK_DIR");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".zip", std::ios::binary)
      .write(reinterpret_cast<const char*>(archive.Bytes().data()),
             static_cast<std::streamsize>(archive.Size()));
  std::ofstream(std::string(dir) + "/" + name + ".names", std::ios::binary) << names;
}

// Compresses data as the writer does, in blocks of blockSize.
std::vector<TDeflateBlock> Blocks(const TBytes& data, std::size_t blockSize) {
  std::vector<TDeflateBlock> blocks;
  std::size_t at = 0;
  do {
    TDeflateBlock block;
    std::size_t n = std::min(blockSize, data.size() - at);
    block.Input.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + n));
    std::size_t window = std::min(at, kDeflateWindow);
    block.Dictionary.assign(data.begin() + static_cast<std::ptrdiff_t>(at - window),
                            data.begin() + static_cast<std::ptrdiff_t>(at));
    at += n;
    block.Last = n < blockSize;
    CompressBlock(block);
    blocks.push_back(std::move(block));
  } while (!blocks.back().Last);
  return blocks;
}

TEST(DeflateBlocks, JoinedBlocksAreOneStreamWithTheCombinedCrc) {
  for (std::size_t size :
       {std::size_t{0}, std::size_t{999}, std::size_t{300000}, std::size_t{4 * 50000}}) {
    TBytes data = Records(size, 7);
    std::vector<TDeflateBlock> blocks = Blocks(data, 50000);
    TBytes joined;
    std::uint32_t crc = 0;
    for (const TDeflateBlock& b : blocks) {
      ASSERT_FALSE(b.Failure);
      joined.insert(joined.end(), b.Output.begin(), b.Output.end());
      crc = CombineCrc(crc, b.Crc, b.Input.size());
    }
    EXPECT_EQ(InflateRaw(joined.data(), joined.size(), data.size()), data) << size;
    EXPECT_EQ(crc, Crc(data)) << size;
    // A size that is a whole number of blocks ends with an empty final block.
    EXPECT_EQ(blocks.size(), size / 50000 + 1) << size;
  }
}

TEST(DeflateBlocks, SplittingCostsAlmostNothingInSize) {
  TBytes data = Records(2 << 20, 3);
  std::size_t split = 0;
  for (const TDeflateBlock& b : Blocks(data, kDeflateBlockSize)) split += b.Output.size();
  std::size_t whole = Blocks(data, data.size() + 1).front().Output.size();
  EXPECT_LE(split, whole + whole / 200) << "split " << split << " whole " << whole;
}

TEST(DeflateBlocks, ZlibFailureIsKeptForTheWriter) {
  TDeflateBlock block;
  block.Input = Records(100, 1);
  block.Level = 42;
  CompressBlock(block);
  ASSERT_TRUE(block.Failure);
  try {
    std::rethrow_exception(block.Failure);
  } catch (const EZipWriter& e) {
    EXPECT_STREQ(e.what(), "Class TZipWriter: zlib stream error");
  }
}

TEST(BlockPipeline, BlocksComeBackInOrderAndNoMoreThanTheBoundAreHeld) {
  TCompressionPool pool(3);
  TBlockPipeline pipeline(pool, 5);
  std::size_t next = 0, held = 0, maxHeld = 0;
  auto take = [&] {
    std::unique_ptr<TDeflateBlock> b = pipeline.TakeOldest();
    --held;
    EXPECT_EQ(b->Crc, Crc(Records(b->Input.size(), static_cast<std::uint32_t>(next))));
    EXPECT_EQ(b->Input.size(), (next % 4) * 20000 + 1) << "block " << next;
    ++next;
  };
  for (std::uint32_t i = 0; i < 40; ++i) {
    while (pipeline.Full()) take();
    auto block = std::make_unique<TDeflateBlock>();
    block->Input = Records((i % 4) * 20000 + 1, i);  // sizes differ, so they finish out of order
    pipeline.Submit(std::move(block));
    maxHeld = std::max(maxHeld, ++held);
  }
  while (!pipeline.Empty()) take();
  EXPECT_EQ(next, 40u);
  EXPECT_EQ(maxHeld, 5u);
}

struct TSource {
  std::string Name;
  TBytes Data;
};

std::vector<TSource> Sources(std::size_t blockSize) {
  return {{"leer.adt", {}},
          {"KUNDEN.ADT", Records(3 * blockSize + 1234, 1)},
          {"Unter/KUNDEN.adm", Records(2 * blockSize, 2)},
          {"leer2.adi", {}},
          {"Übersicht.csv", Records(blockSize - 1, 3)},
          {"x.md5", Records(10, 4)}};
}

void ExpectEntries(const TMemoryStream& archive, const std::vector<TSource>& sources,
                   const std::vector<std::string>& names) {
  std::vector<TReadEntry> entries = ReadEntries(archive.Bytes());
  ASSERT_EQ(entries.size(), sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_EQ(entries[i].Name, names[i]);
    EXPECT_TRUE(entries[i].Data == sources[i].Data) << names[i];
    EXPECT_EQ(entries[i].Crc, Crc(sources[i].Data)) << names[i];
  }
  TMemoryStream copy(archive.Bytes());
  EXPECT_TRUE(VerifyArchive(copy).Sound());
}

TEST(ParallelZip, EntriesOrderNamesAndContentsAreThoseOfTheSources) {
  for (std::size_t blockSize : {std::size_t{4096}, kDeflateBlockSize}) {
    std::vector<TSource> sources = Sources(blockSize);
    TMemoryStream out;
    TZipWriter zip;
    zip.BlockSize = blockSize;
    zip.CreateArchiveOnStream(out);
    std::string listed;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      TMemoryStream source(sources[i].Data);
      if (i == 3)
        zip.AddStream(source, sources[i].Name, kStamp, 0x20);  // one written as it streams
      else
        zip.AddEntry(source, sources[i].Name, kStamp, 0x20, source.Size());
      listed += sources[i].Name + "\n";
    }
    zip.Close();
    ExpectEntries(out, sources,
                  {"leer.adt", "KUNDEN.ADT", "Unter/KUNDEN.adm", "leer2.adi",
                   "\x9A"
                   "bersicht.csv",
                   "x.md5"});
    KeepForReaders("parallel-" + std::to_string(blockSize), out, listed);
  }
}

TEST(ParallelZip, EntryOfOneBlockIsTheSameAsAStreamedEntry) {
  TBytes data = Records(50000, 9);
  TMemoryStream streamed, whole;
  for (bool parallel : {false, true}) {
    TMemoryStream source(data);
    TZipWriter zip;
    zip.CreateArchiveOnStream(parallel ? whole : streamed);
    if (parallel)
      zip.AddEntry(source, "a.adt", kStamp, 0x20);
    else
      zip.AddStream(source, "a.adt", kStamp, 0x20);
    zip.Close();
  }
  EXPECT_TRUE(whole.Bytes() == streamed.Bytes());
}

// A source that checks, on every read, how far reading runs ahead of writing.
class TWatchedSource final : public IStream {
 public:
  TWatchedSource(TBytes data, const std::uint64_t& written)
      : data_(std::move(data)), written_(written) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    maxAhead = std::max(maxAhead, read_ - written_);
    std::size_t n = data_.Read(buffer, count);
    read_ += n;
    return n;
  }
  void Write(const void*, std::size_t) override {}
  void Seek(std::uint64_t position) override { data_.Seek(position); }
  std::uint64_t Position() const override { return data_.Position(); }
  std::uint64_t Size() const override { return data_.Size(); }
  std::uint64_t maxAhead = 0;

 private:
  TMemoryStream data_;
  const std::uint64_t& written_;
  std::uint64_t read_ = 0;
};

TEST(ParallelZip, ReadingRunsOnlyAFixedNumberOfBlocksAhead) {
  const std::size_t blockSize = 1024;
  std::uint64_t written = 0;
  TWatchedSource source(Records(400 * blockSize, 5), written);
  TMemoryStream out;
  TZipWriter zip;
  zip.BlockSize = blockSize;
  zip.OnProgress = [&](TZipWriter&, std::uint32_t in, std::uint32_t) { written = in; };
  zip.CreateArchiveOnStream(out);
  zip.AddEntry(source, "gross.adt", kStamp, 0x20);
  zip.Close();
  EXPECT_EQ(written, 400u * blockSize);
  std::uint64_t bound = (4 * SharedCompressionPool().Threads() + 1) * blockSize;
  EXPECT_LE(source.maxAhead, bound);
  EXPECT_GT(source.maxAhead, 0u);
}

TEST(ParallelZip, TwoWritersAtOnceEachGetTheirOwnEntries) {
  std::vector<TSource> sources = Sources(2000);
  std::vector<std::string> names;
  for (const TSource& s : sources)
    names.push_back(s.Name == "Übersicht.csv" ? "\x9A"
                                                "bersicht.csv"
                                              : s.Name);
  TMemoryStream outs[2];
  auto write = [&](TMemoryStream& out) {
    TZipWriter zip;
    zip.BlockSize = 2000;
    for (int round = 0; round < 3; ++round) {
      TMemoryStream archive;
      zip.CreateArchiveOnStream(archive);
      for (const TSource& s : sources) {
        TMemoryStream source(s.Data);
        zip.AddEntry(source, s.Name, kStamp, 0x20);
      }
      zip.Close();
      out = TMemoryStream(archive.Bytes());
    }
  };
  std::thread first(write, std::ref(outs[0]));
  std::thread second(write, std::ref(outs[1]));
  first.join();
  second.join();
  for (const TMemoryStream& out : outs) ExpectEntries(out, sources, names);
}

TEST(ParallelZip, CompressionFailureReachesTheCallerAndEndsTheEntry) {
  // The failure a streamed entry raises at once.
  std::string expected;
  {
    TMemoryStream out;
    TZipWriter zip;
    zip.CompressionLevel = 42;
    zip.CreateArchiveOnStream(out);
    try {
      zip.NewEntry("a.adt", kStamp, 0x20);
    } catch (const EZipWriter& e) {
      expected = e.what();
    }
  }
  ASSERT_EQ(expected, "Class TZipWriter: zlib stream error");

  TBytes good = Records(20000, 1);
  TMemoryStream out;
  TZipWriter zip;
  zip.BlockSize = 4096;
  zip.CreateArchiveOnStream(out);
  std::string raised;
  int added = 0;
  try {
    TMemoryStream first(good);
    zip.AddEntry(first, "gut.adt", kStamp, 0x20);
    ++added;
    zip.CompressionLevel = 42;  // the compression threads refuse every later block
    for (int i = 0; i < 20; ++i) {
      TMemoryStream source(Records(20000, 2));
      zip.AddEntry(source, "schlecht" + std::to_string(i) + ".adt", kStamp, 0x20);
      ++added;
    }
    zip.Close();
  } catch (const EZipWriter& e) {
    raised = e.what();
  }
  EXPECT_EQ(raised, expected);
  EXPECT_LT(added, 21) << "the failure is raised by the next call that writes";
  zip.Close();
  EXPECT_FALSE(zip.ArchiveOpen());
  // The archive ends with the failed entry cut short and nothing behind it.
  std::vector<TReadEntry> entries = ReadEntries(out.Bytes());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Name, "gut.adt");
  EXPECT_TRUE(entries[0].Data == good);
  EXPECT_EQ(entries[1].Name, "schlecht0.adt");
  EXPECT_TRUE(entries[1].Data.empty());
  EXPECT_EQ(entries[1].Crc, 0u);
}

}  // namespace
}  // namespace qv
