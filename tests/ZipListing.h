#pragma once
// Lists the entries of an archive from its central directory (classic
// records only: the tests that use it write small archives).
#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

struct TZipListing {
  bool Valid = false;
  std::vector<std::string> Names;  // raw bytes as stored
  std::vector<std::uint64_t> Sizes;
  std::vector<std::uint32_t> ExternalAttributes;
};

inline TZipListing ListZip(const std::string& bytes) {
  auto u16 = [&](size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
  };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  TZipListing listing;
  if (bytes.size() < 22) return listing;
  size_t end = bytes.size() - 22;
  while (end > 0 && u32(end) != 0x06054B50u) --end;
  if (u32(end) != 0x06054B50u) return listing;
  std::uint32_t count = u16(end + 10);
  size_t at = u32(end + 16);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 46 > bytes.size() || u32(at) != 0x02014B50u) return listing;
    std::uint32_t nameLength = u16(at + 28);
    listing.Sizes.push_back(u32(at + 24));
    listing.ExternalAttributes.push_back(u32(at + 38));
    listing.Names.push_back(bytes.substr(at + 46, nameLength));
    at += 46 + nameLength + u16(at + 30) + u16(at + 32);
  }
  listing.Valid = true;
  return listing;
}

}  // namespace qv::test
