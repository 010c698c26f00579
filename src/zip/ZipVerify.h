#pragma once
// Reads an archive back completely: every entry of the central directory is
// inflated from its local header and its CRC-32 and size compared with the
// directory. Portable; reads through a stream and writes nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "util/Stream.h"

namespace qv {

struct TArchiveCheck {
  std::uint64_t Entries = 0;
  std::uint64_t Bytes = 0;            // uncompressed bytes read back
  std::vector<std::string> Problems;  // empty when the archive is sound
  bool Sound() const { return Problems.empty(); }
};

TArchiveCheck VerifyArchive(IStream& archive);

}  // namespace qv
