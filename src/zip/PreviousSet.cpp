#include "zip/PreviousSet.h"

#include <cstring>
#include <vector>

#include "zip/ZipFormat.h"

namespace qv {

void TPreviousSet::AddPart(std::unique_ptr<IStream> part) {
  std::vector<TStoredEntry> stored = ReadCentralDirectory(*part);
  for (TStoredEntry& e : stored) {
    bool utf8 = (e.Flags & zip::kFlagUtf8) != 0;
    TPreviousEntry entry{part.get(), std::move(e)};
    entries_.emplace(std::make_pair(entry.Stored.Name, utf8), std::move(entry));
  }
  parts_.push_back(std::move(part));
}

const TPreviousEntry* TPreviousSet::Find(const std::string& encodedName, bool utf8,
                                         std::uint64_t size) const {
  auto found = entries_.find(std::make_pair(encodedName, utf8));
  if (found == entries_.end() || found->second.Stored.Uncompressed != size) return nullptr;
  return &found->second;
}

bool TPreviousSet::SameData(const TPreviousEntry& entry, IStream& source, TEntryRead& read) {
  std::vector<std::uint8_t> fileBytes;
  try {
    read =
        ReadEntryData(*entry.Archive, entry.Stored, [&](const std::uint8_t* data, std::size_t n) {
          fileBytes.resize(n);
          if (ReadFully(source, fileBytes.data(), n) != n) return false;  // the file is shorter now
          return std::memcmp(fileBytes.data(), data, n) == 0;
        });
    // Every byte was compared, so the entry's own CRC check covers the file's.
    if (!read.Problem.empty() || read.Stopped) return false;
    std::uint8_t beyond;
    if (source.Read(&beyond, 1) != 0) return false;  // the file has grown
    return true;
  } catch (const std::exception&) {
    return false;  // a read error on either side: compressed as usual
  }
}

}  // namespace qv
