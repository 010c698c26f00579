#pragma once
// Writes ZIP archives entry by entry: raw deflate through zlib (or stored),
// the local header patched with CRC and sizes by seeking back, the central
// directory and end record at Close. Names are OEM bytes, or UTF-8 with flag
// bit 11 where the OEM code page lacks a character; ZIP64 records appear
// only where a size, offset or count does not fit.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "util/Stream.h"
#include "zip/BufferedWriter.h"
#include "zip/DeflateBlock.h"

struct z_stream_s;

namespace qv {

class TBlockPipeline;
class TPreviousSet;
struct TPreviousEntry;
struct TEntryRead;

class EZipWriter : public std::runtime_error {
 public:
  explicit EZipWriter(const std::string& text) : std::runtime_error("Class TZipWriter: " + text) {}
};

enum class TZipCompressionMethod { cmNone, cmDeflate };
enum class TZipCompressionStrategy { csDefault, csFiltered, csHuffmanOnly, csRLE, csFixed };
enum class TDataType { dtBinary, dtText, dtUnknown };

class TZipWriter {
 public:
  using TProgressEvent =
      std::function<void(TZipWriter& sender, std::uint32_t inBytes, std::uint32_t outBytes)>;
  // Encodes an entry name or comment: OEM bytes, or UTF-8 with *utf8 set.
  using TNameEncoder = std::function<std::string(const std::string& text, bool* utf8)>;
  using TArchiveCommentEncoder = std::function<std::string(const std::string& text)>;

  TZipWriter();
  // Closes an open archive, swallowing every failure.
  ~TZipWriter();
  TZipWriter(const TZipWriter&) = delete;
  TZipWriter& operator=(const TZipWriter&) = delete;

  // Properties.
  const std::string& BaseFolder() const { return baseFolder_; }
  void SetBaseFolder(const std::string& folder);
  int CompressionLevel = -1;
  TZipCompressionMethod CompressionMethod = TZipCompressionMethod::cmDeflate;
  TZipCompressionStrategy CompressionStrategy = TZipCompressionStrategy::csDefault;
  TDataType DataType = TDataType::dtBinary;
  std::string EntryComment;
  std::string ZipComment;
  TProgressEvent OnProgress;
  bool OpenSharedWithRetry = false;
  TNameEncoder EncodeName;
  TArchiveCommentEncoder EncodeArchiveComment;

  // Archive file operations (Windows file layer).
  void CreateArchive(const std::string& fileName, std::uint64_t startOffset = 0);
  void AddFile(const std::string& fileName, std::uint32_t dateTime = 0,
               std::uint32_t attributes = 0xFFFFFFFF);
  void AddFileAs(const std::string& fileName, const std::string& entryName, std::uint32_t dateTime,
                 std::uint32_t attributes);
  // Opens an earlier set's parts for TakeOverFrom; false (nothing taken
  // over) when one of them lacks a readable central directory.
  bool TakeOverFromParts(const std::vector<std::string>& partPaths);

  // Portable operations.
  void CreateArchiveOnStream(IStream& stream, std::uint64_t startOffset = 0);
  // expectedSize reserves ZIP64 sizes in the local header for huge entries.
  void AddStream(IStream& stream, const std::string& entryName, std::uint32_t dateTime,
                 std::uint32_t attributes, std::uint64_t expectedSize = 0);
  void NewEntry(const std::string& entryName, std::uint32_t dateTime, std::uint32_t attributes,
                std::uint64_t expectedSize = 0);
  std::uint32_t Write(const void* buffer, std::uint32_t count);
  void WriteStream(IStream& stream);
  // Adds a whole entry from the stream. Deflated, it is read in blocks that
  // the process's compression threads compress while later blocks and entries
  // are read; everything reaches the archive in order. A failure of a block
  // is raised by the next operation that writes (at the latest Close), which
  // then ends the entry with what was written of it. Stored entries are
  // written as AddStream writes them.
  void AddEntry(IStream& stream, const std::string& entryName, std::uint32_t dateTime,
                std::uint32_t attributes, std::uint64_t expectedSize = 0);
  // An earlier set whose unchanged entries AddFile copies instead of
  // deflating them again (null: none). Kept until replaced.
  void TakeOverFrom(std::shared_ptr<TPreviousSet> previous);
  // As AddEntry, but an entry of that set with the same name and the same
  // data is copied with its compressed bytes unchanged. The stream is read
  // from its position; a file found different is read again from there.
  void AddEntryTakingOver(IStream& stream, const std::string& entryName, std::uint32_t dateTime,
                          std::uint32_t attributes, std::uint64_t size);
  // Input bytes per block of AddEntry.
  std::size_t BlockSize = kDeflateBlockSize;
  void FinishEntry();
  void Close();

  bool ArchiveOpen() const { return archive_ != nullptr; }
  // The entry name AddFile forms for a file name (BaseFolder removed).
  std::string EntryNameFor(const std::string& fileName) const;

 private:
  struct TEntry {
    std::string Name;  // with "/" separators
    std::string Comment;
    std::uint32_t DosDateTime = 0;
    std::uint32_t Crc32 = 0;
    std::uint64_t CompressedSize = 0;
    std::uint64_t UncompressedSize = 0;
    std::uint64_t LocalHeaderOffset = 0;
    std::uint16_t Flags = 0;
    std::uint32_t ExternalAttributes = 0;
    TZipCompressionMethod Method = TZipCompressionMethod::cmDeflate;
    int TextFlag = 0;
    bool Zip64 = false;
    std::string EncodedName;
    std::string EncodedComment;
  };

  TEntry MakeEntry(const std::string& entryName, std::uint32_t dateTime, std::uint32_t attributes,
                   std::uint64_t expectedSize) const;
  TEntry* BeginEntry(TEntry entry);
  void CheckEntrySize(const TEntry& entry) const;
  void EndEntry(TEntry& entry);
  std::unique_ptr<TDeflateBlock> ReadBlock(IStream& stream, std::vector<std::uint8_t>& dictionary);
  void SubmitBlock(std::unique_ptr<TDeflateBlock> block);
  void WriteOldestBlock();
  void WriteBlock(const TDeflateBlock& block);
  void DrainBlocks();
  // A new entry compressed in blocks on the shared pool.
  void AddDeflatedEntry(IStream& stream, TEntry entry);
  const TPreviousEntry* TakeOverCandidate(const TEntry& entry, std::uint64_t size) const;
  void CopyEntry(TEntry entry, const TPreviousEntry& from, const TEntryRead& proof);
  void EndBlockEntry();
  void RequireArchive() const;
  void RequireEntry() const;
  void PrepareDeflate();
  void CheckZlib(int result) const;
  void EmitCompressed(std::size_t count);
  void WriteCentralDirectory();
  std::uint16_t FlagsForLevel() const;

  std::string baseFolder_;
  IStream* archive_ = nullptr;
  std::unique_ptr<IStream> ownedArchive_;
  std::string archiveFileName_;
  std::unique_ptr<TBufferedWriter> writer_;
  std::uint64_t offset_ = 0;
  std::vector<TEntry> entries_;
  TEntry* current_ = nullptr;
  std::uint64_t headerPosition_ = 0;
  std::unique_ptr<z_stream_s> zstream_;
  bool zstreamReady_ = false;
  std::uint64_t totalIn_ = 0;
  std::uint64_t totalOut_ = 0;
  std::vector<std::uint8_t> outBuffer_;
  // Entries of AddEntry: those waiting for their first block to be written,
  // the one being written, whether its stream lacks its final block.
  std::unique_ptr<TBlockPipeline> pipeline_;
  std::deque<TEntry> queued_;
  TEntry* blockEntry_ = nullptr;
  bool blockStreamOpen_ = false;
  std::shared_ptr<TPreviousSet> previous_;
};

// The default encoders: the system's OEM and ANSI code pages on Windows,
// code pages 850 and 1252 elsewhere.
std::string EncodeOemOrUtf8(const std::string& text, bool* utf8);
std::string EncodeAnsi(const std::string& text);

}  // namespace qv
