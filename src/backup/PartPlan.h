#pragma once
// How the files of an archive set are split into parts: in walk order, a
// part ends before the file that would take its input over the limit (a part
// may total exactly the limit). A first file over the limit leaves an empty
// first part; a file over the limit gets a part of its own.
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// Input bytes one archive part may hold.
inline constexpr std::uint64_t kArchivePartLimit = 1ull << 30;

struct TPlannedFile {
  std::string Path;
  std::uint64_t Size = 0;
};

using TPartPlan = std::vector<std::vector<std::string>>;

// The parts, each a list of paths; no part when there is no file.
TPartPlan PlanParts(const std::vector<TPlannedFile>& files, std::uint64_t limit);

}  // namespace qv
