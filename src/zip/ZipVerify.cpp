#include "zip/ZipVerify.h"

#include "zip/ZipFormat.h"
#include "zip/ZipReader.h"

namespace qv {
namespace {

// The local header must say what the directory says: readers that go by it
// (streaming extractors, repair tools) would take wrong sizes or a wrong CRC.
std::string CompareLocalHeader(IStream& in, const TStoredEntry& e, const std::string& local) {
  std::size_t nameLength = FieldU16(local, 26), extraLength = FieldU16(local, 28);
  std::string rest = ReadBytesAt(in, e.Offset + zip::kLocalHeaderSize, nameLength + extraLength);
  if (rest.size() < nameLength + extraLength) return "lokaler Kopf abgeschnitten";
  if (rest.compare(0, nameLength, e.Name) != 0) return "lokaler Kopf nennt einen anderen Namen";
  TStoredEntry l;
  l.Method = static_cast<std::uint16_t>(FieldU16(local, 8));
  l.Crc = FieldU32(local, 14);
  l.Compressed = FieldU32(local, 18);
  l.Uncompressed = FieldU32(local, 22);
  ApplyZip64Extra(rest.substr(nameLength), l, l.Uncompressed == zip::kMax32,
                  l.Compressed == zip::kMax32, false);
  bool describedLater = (FieldU16(local, 6) & 0x0008) != 0;  // a data descriptor follows the data
  if (l.Method != e.Method || (!describedLater && (l.Crc != e.Crc || l.Compressed != e.Compressed ||
                                                   l.Uncompressed != e.Uncompressed)))
    return "lokaler Kopf weicht vom Inhaltsverzeichnis ab";
  return {};
}

// Reads one entry's data; the problem found, or empty.
std::string CheckEntry(IStream& in, const TStoredEntry& e, std::uint64_t& bytes) {
  TEntryRead read = ReadEntryData(in, e, [](const std::uint8_t*, std::size_t) { return true; });
  bytes += read.Produced;
  if (!read.Problem.empty()) return read.Problem;
  return CompareLocalHeader(in, e, read.LocalHeader);
}

}  // namespace

TArchiveCheck VerifyArchive(IStream& archive) {
  TArchiveCheck check;
  try {
    std::vector<TStoredEntry> entries = ReadCentralDirectory(archive);
    for (const TStoredEntry& e : entries) {
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
