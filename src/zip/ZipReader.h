#pragma once
// Reads what an archive holds: the central directory (ZIP64 records
// included) and an entry's data, inflated chunk by chunk. Portable; reads
// through a stream, keeps no more than a chunk of any entry in memory.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "util/Stream.h"

namespace qv {

// An archive whose records cannot be read.
class EBadArchive : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One entry as the central directory describes it.
struct TStoredEntry {
  std::string Name;  // encoded bytes, as stored
  std::uint16_t Flags = 0;
  std::uint16_t Method = 0;
  std::uint32_t DosDateTime = 0;
  std::uint32_t Crc = 0;
  std::uint64_t Compressed = 0;
  std::uint64_t Uncompressed = 0;
  std::uint64_t Offset = 0;  // of the local header
  std::uint16_t InternalAttributes = 0;
};

// The entries of the central directory; raises EBadArchive when the end
// record or a header cannot be read.
std::vector<TStoredEntry> ReadCentralDirectory(IStream& archive);

// What reading an entry's data found.
struct TEntryRead {
  std::string Problem;         // empty when the data is whole and its CRC-32 right
  bool Stopped = false;        // the taker asked to stop
  std::uint64_t Produced = 0;  // uncompressed bytes handed on
  std::uint64_t DataStart = 0;
  std::uint32_t CompressedCrc = 0;  // CRC-32 of the compressed bytes read
  std::string LocalHeader;          // the fixed 30 bytes
};

// Hands the entry's uncompressed data to take in chunks; take returns false
// to stop reading. Raises only when the archive stream itself fails.
using TChunkTaker = std::function<bool(const std::uint8_t* data, std::size_t count)>;
TEntryRead ReadEntryData(IStream& archive, const TStoredEntry& entry, const TChunkTaker& take);

// Reads count bytes at a position (fewer at the end of the stream).
std::string ReadBytesAt(IStream& in, std::uint64_t at, std::size_t count);

// Little-endian fields of a record; raise EBadArchive past its end.
std::uint32_t FieldU16(const std::string& b, std::size_t at);
std::uint32_t FieldU32(const std::string& b, std::size_t at);
std::uint64_t FieldU64(const std::string& b, std::size_t at);
// Sizes and offset the classic fields mark as too large, from the ZIP64 extra field.
void ApplyZip64Extra(const std::string& extra, TStoredEntry& e, bool uncompressed, bool compressed,
                     bool offset);

}  // namespace qv
