// TZipWriter's entries taken over from an earlier set: a file that has not
// changed gets the earlier entry's compressed bytes behind a local header of
// its own, so that inflating it costs a fraction of deflating it again.
#include <zlib.h>

#include "zip/PreviousSet.h"
#include "zip/ZipFormat.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

constexpr std::size_t kCopyChunk = 1 << 16;
constexpr std::uint16_t kMethodDeflate = 8;
// The flag bits that tell the compression level: a copied entry must carry
// the ones of the writer's level, as a fresh one would.
constexpr std::uint16_t kLevelFlags = 0x0006;

}  // namespace

void TZipWriter::TakeOverFrom(std::shared_ptr<TPreviousSet> previous) {
  previous_ = std::move(previous);
}

const TPreviousEntry* TZipWriter::TakeOverCandidate(const TEntry& entry, std::uint64_t size) const {
  const TPreviousEntry* candidate =
      previous_->Find(entry.EncodedName, (entry.Flags & zip::kFlagUtf8) != 0, size);
  if (!candidate || candidate->Stored.Method != kMethodDeflate ||
      (candidate->Stored.Flags & kLevelFlags) != (entry.Flags & kLevelFlags))
    return nullptr;
  return candidate;
}

void TZipWriter::AddEntryTakingOver(IStream& stream, const std::string& entryName,
                                    std::uint32_t dateTime, std::uint32_t attributes,
                                    std::uint64_t size) {
  if (!previous_ || CompressionMethod != TZipCompressionMethod::cmDeflate) {
    AddEntry(stream, entryName, dateTime, attributes, size);
    return;
  }
  RequireArchive();
  TEntry entry = MakeEntry(entryName, dateTime, attributes, size);
  if (const TPreviousEntry* candidate = TakeOverCandidate(entry, size)) {
    std::uint64_t start = stream.Position();
    TEntryRead proof;
    if (TPreviousSet::SameData(*candidate, stream, proof)) {
      CopyEntry(std::move(entry), *candidate, proof);
      return;
    }
    stream.Seek(start);
  }
  AddDeflatedEntry(stream, std::move(entry));
}

void TZipWriter::CopyEntry(TEntry entry, const TPreviousEntry& from, const TEntryRead& proof) {
  // Entries still being compressed come first: the archive keeps the walk's order.
  DrainBlocks();
  if (current_) FinishEntry();
  TEntry* copied = BeginEntry(std::move(entry));
  copied->Crc32 = from.Stored.Crc;
  copied->TextFlag = from.Stored.InternalAttributes & 1;
  IStream& archive = *from.Archive;
  archive.Seek(proof.DataStart);
  std::vector<std::uint8_t> chunk(kCopyChunk);
  uLong crc = crc32(0, nullptr, 0);
  for (std::uint64_t left = from.Stored.Compressed; left > 0;) {
    std::size_t n = archive.Read(
        chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size())));
    if (n == 0) break;
    crc = crc32(crc, chunk.data(), static_cast<uInt>(n));
    writer_->Write(chunk.data(), n);
    totalOut_ += n;
    left -= n;
  }
  totalIn_ = from.Stored.Uncompressed;
  EndEntry(*copied);
  // Proven identical moments ago; bytes that differ now are a failing disk.
  if (crc != proof.CompressedCrc || totalOut_ != from.Stored.Compressed)
    throw EZipWriter("entry \"" + copied->Name + "\" of the earlier archive changed while copied");
  if (OnProgress)
    OnProgress(*this, static_cast<std::uint32_t>(totalIn_), static_cast<std::uint32_t>(totalOut_));
}

}  // namespace qv
