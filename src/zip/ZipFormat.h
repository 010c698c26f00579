#pragma once
// The records of a ZIP archive, written field by field in little-endian
// order. The local and the central header share one serializer so that
// they cannot drift apart. ZIP64 records appear only where a size, an offset
// or the entry count does not fit the classic fields.
#include <cstdint>
#include <string>

#include "util/Seams.h"

namespace qv::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
inline constexpr std::uint16_t kVersion = 20;
inline constexpr std::uint16_t kVersionZip64 = 45;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kCrcAndSizesAt = 14;  // in the local header
inline constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
inline constexpr std::uint16_t kMax16 = 0xFFFFu;

class TLittleEndian {
 public:
  void U16(std::uint32_t v) {
    bytes_ += static_cast<char>(v & 0xFF);
    bytes_ += static_cast<char>((v >> 8) & 0xFF);
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  void Bytes(const std::string& s) { bytes_ += s; }
  const std::string& Str() const { return bytes_; }

 private:
  std::string bytes_;
};

// What the local and the central header of one entry have in common.
struct THeaderFields {
  std::uint16_t VersionNeeded = kVersion;
  std::uint16_t Flags = 0;
  std::uint16_t Method = 8;
  std::uint32_t DosDateTime = 0;  // time low, date high
  std::uint32_t Crc32 = 0;
  std::uint64_t CompressedSize = 0;
  std::uint64_t UncompressedSize = 0;
  std::string Name;  // encoded bytes
};

// Local header; with zip64 the sizes are 0xFFFFFFFF and a ZIP64 extra field
// (both sizes) follows the name. Sizes are zero until patched.
std::string LocalHeader(const THeaderFields& f, bool zip64);
// The 12 bytes patched into a finished entry's local header at offset 14.
std::string CrcAndSizes(std::uint32_t crc, std::uint64_t compressed, std::uint64_t uncompressed,
                        bool zip64);
// Length of the local header as written.
std::size_t LocalHeaderLength(std::size_t nameLength, bool zip64);

struct TCentralFields {
  THeaderFields Header;
  std::string Comment;  // encoded bytes
  std::uint16_t InternalAttributes = 0;
  std::uint32_t ExternalAttributes = 0;
  std::uint64_t LocalHeaderOffset = 0;
  bool Zip64Sizes = false;  // the local header carried ZIP64 sizes: so does this one
};
std::string CentralHeader(const TCentralFields& f);

// The end of the central directory, preceded by the ZIP64 end record and
// locator when the count, size or offset does not fit.
std::string EndRecords(std::uint64_t entries, std::uint64_t directorySize,
                       std::uint64_t directoryOffset, const std::string& comment);

// MS-DOS date and time of a local time; 0xFFFFFFFF before 1980.
std::uint32_t DosDateTime(const TLocalTime& t);

}  // namespace qv::zip
