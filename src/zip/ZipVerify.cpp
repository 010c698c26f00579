#include "zip/ZipVerify.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "zip/ZipFormat.h"

namespace qv {
namespace {

constexpr std::size_t kChunk = 1 << 16;
constexpr std::size_t kMaxEndSearch = zip::kEndRecordSize + 0xFFFF;
constexpr std::uint32_t kZip64LocatorSize = 20;

class EBadArchive : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::uint32_t U16(const std::string& b, std::size_t at) {
  if (at + 2 > b.size()) throw EBadArchive("Eintrag abgeschnitten");
  return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8);
}
std::uint32_t U32(const std::string& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}
std::uint64_t U64(const std::string& b, std::size_t at) {
  return U32(b, at) | (static_cast<std::uint64_t>(U32(b, at + 4)) << 32);
}

std::string ReadAt(IStream& in, std::uint64_t at, std::size_t count) {
  if (at > in.Size()) throw EBadArchive("Verweis hinter das Dateiende");
  in.Seek(at);
  std::string bytes(count, '\0');
  std::size_t done = 0;
  while (done < count) {
    std::size_t n = in.Read(bytes.data() + done, count - done);
    if (n == 0) break;
    done += n;
  }
  bytes.resize(done);
  return bytes;
}

struct TDirectory {
  std::uint64_t Entries = 0;
  std::uint64_t Size = 0;
  std::uint64_t Offset = 0;
};

TDirectory FindDirectory(IStream& in) {
  std::uint64_t size = in.Size();
  if (size < zip::kEndRecordSize) throw EBadArchive("kein Zip-Archiv (zu kurz)");
  std::uint64_t from = size > kMaxEndSearch ? size - kMaxEndSearch : 0;
  std::string tail = ReadAt(in, from, static_cast<std::size_t>(size - from));
  std::size_t end = tail.size() - zip::kEndRecordSize;
  while (U32(tail, end) != zip::kEndSignature) {
    if (end == 0) throw EBadArchive("Ende des Inhaltsverzeichnisses fehlt");
    --end;
  }
  TDirectory d{U16(tail, end + 10), U32(tail, end + 12), U32(tail, end + 16)};
  if (end >= kZip64LocatorSize &&
      U32(tail, end - kZip64LocatorSize) == zip::kZip64LocatorSignature) {
    std::string record = ReadAt(in, U64(tail, end - kZip64LocatorSize + 8), 56);
    if (U32(record, 0) != zip::kZip64EndSignature) throw EBadArchive("ZIP64-Ende beschädigt");
    d = {U64(record, 32), U64(record, 40), U64(record, 48)};
  }
  if (d.Offset + d.Size > size) throw EBadArchive("Inhaltsverzeichnis hinter dem Dateiende");
  return d;
}

struct TEntry {
  std::string Name;
  std::uint16_t Method = 0;
  std::uint32_t Crc = 0;
  std::uint64_t Compressed = 0;
  std::uint64_t Uncompressed = 0;
  std::uint64_t Offset = 0;
};

// Reads the ZIP64 extra field for the values the classic fields mark as too large.
void ApplyZip64(const std::string& extra, TEntry& e, bool uncompressed, bool compressed,
                bool offset) {
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    std::uint32_t id = U16(extra, at), length = U16(extra, at + 2);
    if (id == zip::kZip64ExtraId) {
      std::size_t p = at + 4;
      if (uncompressed) e.Uncompressed = U64(extra, p), p += 8;
      if (compressed) e.Compressed = U64(extra, p), p += 8;
      if (offset) e.Offset = U64(extra, p);
      return;
    }
    at += 4 + length;
  }
}

std::vector<TEntry> ReadDirectory(IStream& in, const TDirectory& d) {
  std::string bytes = ReadAt(in, d.Offset, static_cast<std::size_t>(d.Size));
  std::vector<TEntry> entries;
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < d.Entries; ++i) {
    if (U32(bytes, at) != zip::kCentralHeaderSignature)
      throw EBadArchive("Inhaltsverzeichnis beschädigt bei Eintrag " + std::to_string(i + 1));
    TEntry e;
    e.Method = static_cast<std::uint16_t>(U16(bytes, at + 10));
    e.Crc = U32(bytes, at + 16);
    e.Compressed = U32(bytes, at + 20);
    e.Uncompressed = U32(bytes, at + 24);
    std::size_t nameLength = U16(bytes, at + 28), extraLength = U16(bytes, at + 30),
                commentLength = U16(bytes, at + 32);
    e.Offset = U32(bytes, at + 42);
    if (at + zip::kCentralHeaderSize + nameLength + extraLength > bytes.size())
      throw EBadArchive("Inhaltsverzeichnis abgeschnitten");
    e.Name = bytes.substr(at + zip::kCentralHeaderSize, nameLength);
    ApplyZip64(bytes.substr(at + zip::kCentralHeaderSize + nameLength, extraLength), e,
               e.Uncompressed == zip::kMax32, e.Compressed == zip::kMax32, e.Offset == zip::kMax32);
    entries.push_back(e);
    at += zip::kCentralHeaderSize + nameLength + extraLength + commentLength;
  }
  return entries;
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

// The local header must say what the directory says: readers that go by it
// (streaming extractors, repair tools) would take wrong sizes or a wrong CRC.
std::string CompareLocalHeader(IStream& in, const TEntry& e, const std::string& local) {
  std::size_t nameLength = U16(local, 26), extraLength = U16(local, 28);
  std::string rest = ReadAt(in, e.Offset + zip::kLocalHeaderSize, nameLength + extraLength);
  if (rest.size() < nameLength + extraLength) return "lokaler Kopf abgeschnitten";
  if (rest.compare(0, nameLength, e.Name) != 0) return "lokaler Kopf nennt einen anderen Namen";
  TEntry l;
  l.Method = static_cast<std::uint16_t>(U16(local, 8));
  l.Crc = U32(local, 14);
  l.Compressed = U32(local, 18);
  l.Uncompressed = U32(local, 22);
  ApplyZip64(rest.substr(nameLength), l, l.Uncompressed == zip::kMax32, l.Compressed == zip::kMax32,
             false);
  bool describedLater = (U16(local, 6) & 0x0008) != 0;  // a data descriptor follows the data
  if (l.Method != e.Method || (!describedLater && (l.Crc != e.Crc || l.Compressed != e.Compressed ||
                                                   l.Uncompressed != e.Uncompressed)))
    return "lokaler Kopf weicht vom Inhaltsverzeichnis ab";
  return {};
}

// Reads one entry's data; the problem found, or empty.
std::string CheckEntry(IStream& in, const TEntry& e, std::uint64_t& bytes) {
  std::string local = ReadAt(in, e.Offset, zip::kLocalHeaderSize);
  if (local.size() < zip::kLocalHeaderSize || U32(local, 0) != zip::kLocalHeaderSignature)
    return "lokaler Kopf fehlt";
  std::uint64_t at = e.Offset + zip::kLocalHeaderSize + U16(local, 26) + U16(local, 28);
  if (e.Method != 0 && e.Method != 8) return "unbekannte Methode " + std::to_string(e.Method);
  in.Seek(at);
  std::string input(kChunk, '\0'), output(kChunk, '\0');
  std::uint64_t left = e.Compressed, produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  TInflater inflater;
  z_stream& z = inflater.Stream();
  bool ended = e.Method == 0 && left == 0;
  while (left > 0 && !ended) {
    std::size_t n =
        in.Read(input.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk)));
    if (n == 0) return "Daten abgeschnitten";
    left -= n;
    if (e.Method == 0) {
      crc = crc32(crc, reinterpret_cast<const Bytef*>(input.data()), static_cast<uInt>(n));
      produced += n;
      continue;
    }
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
      crc = crc32(crc, reinterpret_cast<const Bytef*>(output.data()), static_cast<uInt>(got));
      produced += got;
      ended = result == Z_STREAM_END;
      if (got == 0 && !ended && z.avail_in > 0) return "Daten beschädigt";
    } while (!ended && (z.avail_in > 0 || z.avail_out == 0));
  }
  if (e.Method == 8 && !ended) return "Daten abgeschnitten";
  bytes += produced;
  if (produced != e.Uncompressed)
    return "Größe " + std::to_string(produced) + " statt " + std::to_string(e.Uncompressed);
  if (crc != e.Crc) return "CRC-32 stimmt nicht";
  return CompareLocalHeader(in, e, local);
}

}  // namespace

TArchiveCheck VerifyArchive(IStream& archive) {
  TArchiveCheck check;
  try {
    std::vector<TEntry> entries = ReadDirectory(archive, FindDirectory(archive));
    for (const TEntry& e : entries) {
      ++check.Entries;
      std::string problem = CheckEntry(archive, e, check.Bytes);
      if (!problem.empty()) check.Problems.push_back(e.Name + ": " + problem);
    }
  } catch (const std::exception& e) {
    check.Problems.push_back(e.what());
  }
  return check;
}

}  // namespace qv
