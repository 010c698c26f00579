#include "zip/ZipReader.h"

#include <zlib.h>

#include <algorithm>

#include "zip/ZipFormat.h"

namespace qv {
namespace {

constexpr std::size_t kChunk = 1 << 16;
constexpr std::size_t kMaxEndSearch = zip::kEndRecordSize + 0xFFFF;
constexpr std::uint32_t kZip64LocatorSize = 20;

struct TDirectory {
  std::uint64_t Entries = 0;
  std::uint64_t Size = 0;
  std::uint64_t Offset = 0;
};

TDirectory FindDirectory(IStream& in) {
  std::uint64_t size = in.Size();
  if (size < zip::kEndRecordSize) throw EBadArchive("kein Zip-Archiv (zu kurz)");
  std::uint64_t from = size > kMaxEndSearch ? size - kMaxEndSearch : 0;
  std::string tail = ReadBytesAt(in, from, static_cast<std::size_t>(size - from));
  std::size_t end = tail.size() - zip::kEndRecordSize;
  while (FieldU32(tail, end) != zip::kEndSignature) {
    if (end == 0) throw EBadArchive("Ende des Inhaltsverzeichnisses fehlt");
    --end;
  }
  TDirectory d{FieldU16(tail, end + 10), FieldU32(tail, end + 12), FieldU32(tail, end + 16)};
  if (end >= kZip64LocatorSize &&
      FieldU32(tail, end - kZip64LocatorSize) == zip::kZip64LocatorSignature) {
    std::string record = ReadBytesAt(in, FieldU64(tail, end - kZip64LocatorSize + 8), 56);
    if (FieldU32(record, 0) != zip::kZip64EndSignature) throw EBadArchive("ZIP64-Ende beschädigt");
    d = {FieldU64(record, 32), FieldU64(record, 40), FieldU64(record, 48)};
  }
  if (d.Offset + d.Size > size) throw EBadArchive("Inhaltsverzeichnis hinter dem Dateiende");
  return d;
}

class TInflater {
 public:
  TInflater() {
    if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) throw std::runtime_error("zlib memory error");
  }
  ~TInflater() { inflateEnd(&z_); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;
  z_stream& Stream() { return z_; }

 private:
  z_stream z_{};
};

// Inflates one chunk of compressed input, handing the output on. Empty, or
// the problem; ended is set at the end of the deflate stream.
std::string InflateChunk(z_stream& z, std::string& input, std::size_t n, std::string& output,
                         const TChunkTaker& take, TEntryRead& read, bool& ended, uLong& crc) {
  z.next_in = reinterpret_cast<Bytef*>(input.data());
  z.avail_in = static_cast<uInt>(n);
  // A full output buffer may hold back more output even when all input is
  // taken: inflate again until it has room left over.
  do {
    z.next_out = reinterpret_cast<Bytef*>(output.data());
    z.avail_out = static_cast<uInt>(output.size());
    int result = inflate(&z, Z_NO_FLUSH);
    if (result == Z_BUF_ERROR && z.avail_in == 0) break;  // it needs the next input
    if (result != Z_OK && result != Z_STREAM_END)
      return "Daten beschädigt (zlib " + std::to_string(result) + ")";
    std::size_t got = output.size() - z.avail_out;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(output.data());
    crc = crc32(crc, bytes, static_cast<uInt>(got));
    read.Produced += got;
    ended = result == Z_STREAM_END;
    if (got > 0 && !take(bytes, got)) {
      read.Stopped = true;
      return {};
    }
    if (got == 0 && !ended && z.avail_in > 0) return "Daten beschädigt";
  } while (!ended && (z.avail_in > 0 || z.avail_out == 0));
  return {};
}

}  // namespace

std::uint32_t FieldU16(const std::string& b, std::size_t at) {
  if (at + 2 > b.size()) throw EBadArchive("Eintrag abgeschnitten");
  return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8);
}
std::uint32_t FieldU32(const std::string& b, std::size_t at) {
  return FieldU16(b, at) | (FieldU16(b, at + 2) << 16);
}
std::uint64_t FieldU64(const std::string& b, std::size_t at) {
  return FieldU32(b, at) | (static_cast<std::uint64_t>(FieldU32(b, at + 4)) << 32);
}

std::string ReadBytesAt(IStream& in, std::uint64_t at, std::size_t count) {
  if (at > in.Size()) throw EBadArchive("Verweis hinter das Dateiende");
  in.Seek(at);
  std::string bytes(count, '\0');
  bytes.resize(ReadFully(in, bytes.data(), count));
  return bytes;
}

void ApplyZip64Extra(const std::string& extra, TStoredEntry& e, bool uncompressed, bool compressed,
                     bool offset) {
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    std::uint32_t id = FieldU16(extra, at), length = FieldU16(extra, at + 2);
    if (id == zip::kZip64ExtraId) {
      std::size_t p = at + 4;
      if (uncompressed) e.Uncompressed = FieldU64(extra, p), p += 8;
      if (compressed) e.Compressed = FieldU64(extra, p), p += 8;
      if (offset) e.Offset = FieldU64(extra, p);
      return;
    }
    at += 4 + length;
  }
}

std::vector<TStoredEntry> ReadCentralDirectory(IStream& archive) {
  TDirectory d = FindDirectory(archive);
  std::string bytes = ReadBytesAt(archive, d.Offset, static_cast<std::size_t>(d.Size));
  std::vector<TStoredEntry> entries;
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < d.Entries; ++i) {
    if (FieldU32(bytes, at) != zip::kCentralHeaderSignature)
      throw EBadArchive("Inhaltsverzeichnis beschädigt bei Eintrag " + std::to_string(i + 1));
    TStoredEntry e;
    e.Flags = static_cast<std::uint16_t>(FieldU16(bytes, at + 8));
    e.Method = static_cast<std::uint16_t>(FieldU16(bytes, at + 10));
    e.DosDateTime = FieldU32(bytes, at + 12);
    e.Crc = FieldU32(bytes, at + 16);
    e.Compressed = FieldU32(bytes, at + 20);
    e.Uncompressed = FieldU32(bytes, at + 24);
    std::size_t nameLength = FieldU16(bytes, at + 28), extraLength = FieldU16(bytes, at + 30),
                commentLength = FieldU16(bytes, at + 32);
    e.InternalAttributes = static_cast<std::uint16_t>(FieldU16(bytes, at + 36));
    e.Offset = FieldU32(bytes, at + 42);
    if (at + zip::kCentralHeaderSize + nameLength + extraLength > bytes.size())
      throw EBadArchive("Inhaltsverzeichnis abgeschnitten");
    e.Name = bytes.substr(at + zip::kCentralHeaderSize, nameLength);
    ApplyZip64Extra(bytes.substr(at + zip::kCentralHeaderSize + nameLength, extraLength), e,
                    e.Uncompressed == zip::kMax32, e.Compressed == zip::kMax32,
                    e.Offset == zip::kMax32);
    entries.push_back(e);
    at += zip::kCentralHeaderSize + nameLength + extraLength + commentLength;
  }
  return entries;
}

TEntryRead ReadEntryData(IStream& archive, const TStoredEntry& e, const TChunkTaker& take) {
  TEntryRead read;
  read.LocalHeader = ReadBytesAt(archive, e.Offset, zip::kLocalHeaderSize);
  const std::string& local = read.LocalHeader;
  if (local.size() < zip::kLocalHeaderSize || FieldU32(local, 0) != zip::kLocalHeaderSignature) {
    read.Problem = "lokaler Kopf fehlt";
    return read;
  }
  read.DataStart = e.Offset + zip::kLocalHeaderSize + FieldU16(local, 26) + FieldU16(local, 28);
  if (e.Method != 0 && e.Method != 8) {
    read.Problem = "unbekannte Methode " + std::to_string(e.Method);
    return read;
  }
  archive.Seek(read.DataStart);
  std::string input(kChunk, '\0'), output(kChunk, '\0');
  std::uint64_t left = e.Compressed;
  uLong crc = crc32(0, nullptr, 0);
  uLong compressedCrc = crc;
  TInflater inflater;
  bool ended = e.Method == 0 && left == 0;
  while (left > 0 && !ended && read.Problem.empty() && !read.Stopped) {
    std::size_t n =
        archive.Read(input.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk)));
    if (n == 0) {
      read.Problem = "Daten abgeschnitten";
      return read;
    }
    left -= n;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
    compressedCrc = crc32(compressedCrc, bytes, static_cast<uInt>(n));
    if (e.Method == 0) {
      crc = crc32(crc, bytes, static_cast<uInt>(n));
      read.Produced += n;
      read.Stopped = !take(bytes, n);
      continue;
    }
    read.Problem = InflateChunk(inflater.Stream(), input, n, output, take, read, ended, crc);
  }
  read.CompressedCrc = static_cast<std::uint32_t>(compressedCrc);
  if (!read.Problem.empty() || read.Stopped) return read;
  if (e.Method == 8 && !ended)
    read.Problem = "Daten abgeschnitten";
  else if (read.Produced != e.Uncompressed)
    read.Problem =
        "Größe " + std::to_string(read.Produced) + " statt " + std::to_string(e.Uncompressed);
  else if (crc != e.Crc)
    read.Problem = "CRC-32 stimmt nicht";
  return read;
}

}  // namespace qv
