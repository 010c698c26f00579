#pragma once
// Table-like bytes whose every record differs in each field (numbers, names,
// dates, amounts), so that they compress as the office's tables do.
#include <cstdint>
#include <string>

namespace qv::test {

inline std::string OfficeRecords(std::size_t size, std::uint32_t seed) {
  static const char* kNames[] = {"Müller", "Schmidt", "Weiß", "Becker", "Hoffmann", "Schäfer"};
  std::string data;
  std::uint32_t x = seed * 2654435761u + 7;
  while (data.size() < size) {
    x = x * 1664525u + 1013904223u;
    data += std::to_string(x % 99991) + ";" + kNames[(x >> 5) % 6] + ";" +
            std::to_string(1 + (x >> 9) % 28) + "." + std::to_string(1 + (x >> 13) % 12) + ".20" +
            std::to_string(10 + (x >> 17) % 20) + ";" + std::to_string((x >> 3) % 100000) + "," +
            std::to_string(x % 100) + "\r\n";
  }
  data.resize(size);
  return data;
}

}  // namespace qv::test
