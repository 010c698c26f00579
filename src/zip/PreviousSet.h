#pragma once
// The archive set made before today's, opened read-only: its entries by
// name, and whether an entry holds exactly what a source file holds. Every
// day's set is complete on its own, but most files have not changed since
// the day before; their compressed bytes can be copied instead of being
// deflated again. Portable; the parts come in as streams.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "util/Stream.h"
#include "zip/ZipReader.h"

namespace qv {

struct TPreviousEntry {
  IStream* Archive = nullptr;  // the part that holds it
  TStoredEntry Stored;
};

class TPreviousSet {
 public:
  // Reads the part's central directory once; raises EBadArchive (or the
  // stream's failure) when it cannot be read.
  void AddPart(std::unique_ptr<IStream> part);
  // The entry stored under the encoded name (UTF-8 or not) with that
  // uncompressed size, or null.
  const TPreviousEntry* Find(const std::string& encodedName, bool utf8, std::uint64_t size) const;
  // Whether the entry inflates to exactly what the source holds from its
  // position to its end, with the right CRC-32 and size. Stops at the first
  // difference; a damaged entry or a failing read is no match. read tells
  // where the compressed bytes lie and their CRC-32.
  static bool SameData(const TPreviousEntry& entry, IStream& source, TEntryRead& read);

 private:
  std::vector<std::unique_ptr<IStream>> parts_;
  std::map<std::pair<std::string, bool>, TPreviousEntry> entries_;
};

}  // namespace qv
