#include "zip/ZipFormat.h"

namespace qv::zip {
namespace {

constexpr std::uint16_t kZip64LocalExtraSize = 16;  // both sizes

void CommonFields(TLittleEndian& w, const THeaderFields& f, std::uint32_t compressed,
                  std::uint32_t uncompressed) {
  w.U16(f.VersionNeeded);
  w.U16(f.Flags);
  w.U16(f.Method);
  w.U32(f.DosDateTime);  // time in the low half, date in the high half
  w.U32(f.Crc32);
  w.U32(compressed);
  w.U32(uncompressed);
  w.U16(static_cast<std::uint32_t>(f.Name.size()));
}

std::uint32_t Clamp32(std::uint64_t v) {
  return v >= kMax32 ? kMax32 : static_cast<std::uint32_t>(v);
}

}  // namespace

std::size_t LocalHeaderLength(std::size_t nameLength, bool zip64) {
  return kLocalHeaderSize + nameLength + (zip64 ? 4u + kZip64LocalExtraSize : 0u);
}

std::string LocalHeader(const THeaderFields& f, bool zip64) {
  TLittleEndian w;
  w.U32(kLocalHeaderSignature);
  std::uint32_t size = zip64 ? kMax32 : 0;
  CommonFields(w, f, size, size);
  w.U16(zip64 ? 4u + kZip64LocalExtraSize : 0u);
  w.Bytes(f.Name);
  if (zip64) {
    w.U16(kZip64ExtraId);
    w.U16(kZip64LocalExtraSize);
    w.U64(0);
    w.U64(0);
  }
  return w.Str();
}

std::string CrcAndSizes(std::uint32_t crc, std::uint64_t compressed, std::uint64_t uncompressed,
                        bool zip64) {
  TLittleEndian w;
  w.U32(crc);
  w.U32(zip64 ? kMax32 : static_cast<std::uint32_t>(compressed));
  w.U32(zip64 ? kMax32 : static_cast<std::uint32_t>(uncompressed));
  return w.Str();
}

std::string CentralHeader(const TCentralFields& f) {
  const THeaderFields& h = f.Header;
  TLittleEndian extra;
  bool sizes64 = f.Zip64Sizes || h.UncompressedSize >= kMax32 || h.CompressedSize >= kMax32;
  if (sizes64) {
    extra.U64(h.UncompressedSize);
    extra.U64(h.CompressedSize);
  }
  if (f.LocalHeaderOffset >= kMax32) extra.U64(f.LocalHeaderOffset);
  bool zip64 = !extra.Str().empty();
  std::uint16_t version = zip64 ? kVersionZip64 : h.VersionNeeded;

  TLittleEndian w;
  w.U32(kCentralHeaderSignature);
  w.U16(version);  // made by: MS-DOS conventions (upper byte 0)
  THeaderFields fields = h;
  fields.VersionNeeded = version;
  CommonFields(w, fields, sizes64 ? kMax32 : Clamp32(h.CompressedSize),
               sizes64 ? kMax32 : Clamp32(h.UncompressedSize));
  w.U16(zip64 ? 4u + static_cast<std::uint32_t>(extra.Str().size()) : 0u);
  w.U16(static_cast<std::uint32_t>(f.Comment.size()));
  w.U16(0);  // disk number start
  w.U16(f.InternalAttributes);
  w.U32(f.ExternalAttributes);
  w.U32(Clamp32(f.LocalHeaderOffset));
  w.Bytes(h.Name);
  if (zip64) {
    w.U16(kZip64ExtraId);
    w.U16(static_cast<std::uint32_t>(extra.Str().size()));
    w.Bytes(extra.Str());
  }
  w.Bytes(f.Comment);
  return w.Str();
}

std::string EndRecords(std::uint64_t entries, std::uint64_t directorySize,
                       std::uint64_t directoryOffset, const std::string& comment) {
  TLittleEndian w;
  bool zip64 = entries > kMax16 || directorySize >= kMax32 || directoryOffset >= kMax32;
  if (zip64) {
    std::uint64_t zip64EndAt = directoryOffset + directorySize;
    w.U32(kZip64EndSignature);
    w.U64(44);  // size of the rest of this record
    w.U16(kVersionZip64);
    w.U16(kVersionZip64);
    w.U32(0);
    w.U32(0);
    w.U64(entries);
    w.U64(entries);
    w.U64(directorySize);
    w.U64(directoryOffset);
    w.U32(kZip64LocatorSignature);
    w.U32(0);
    w.U64(zip64EndAt);
    w.U32(1);
  }
  w.U32(kEndSignature);
  w.U16(0);
  w.U16(0);
  std::uint32_t count =
      zip64 && entries > kMax16 ? kMax16 : static_cast<std::uint32_t>(entries & kMax16);
  w.U16(count);
  w.U16(count);
  w.U32(Clamp32(directorySize));
  w.U32(Clamp32(directoryOffset));
  w.U16(static_cast<std::uint32_t>(comment.size()));
  w.Bytes(comment);
  return w.Str();
}

std::uint32_t DosDateTime(const TLocalTime& t) {
  if (t.Year < 1980 || t.Year > 2107) return kMax32;
  std::uint32_t date = static_cast<std::uint32_t>(((t.Year - 1980) << 9) | (t.Month << 5) | t.Day);
  std::uint32_t time =
      static_cast<std::uint32_t>((t.Hour << 11) | (t.Minute << 5) | (t.Second / 2));
  return (date << 16) | time;
}

}  // namespace qv::zip
