#include "backup/PartPlan.h"

namespace qv {

TPartPlan PlanParts(const std::vector<TPlannedFile>& files, std::uint64_t limit) {
  TPartPlan parts;
  std::vector<std::string> pending;
  std::uint64_t total = 0;
  for (const TPlannedFile& file : files) {
    if (total + file.Size > limit) {
      parts.push_back(std::move(pending));
      pending.clear();
      total = 0;
    }
    total += file.Size;
    pending.push_back(file.Path);
  }
  if (!pending.empty()) parts.push_back(std::move(pending));
  return parts;
}

}  // namespace qv
