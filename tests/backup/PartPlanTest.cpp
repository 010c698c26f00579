#include "backup/PartPlan.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

constexpr std::uint64_t kGiB = 1ull << 30;

TEST(PartPlan, SplitsBeforeTheFileThatWouldPassTheLimit) {
  struct TCase {
    const char* What;
    std::vector<TPlannedFile> Files;
    TPartPlan Parts;
  };
  const TCase cases[] = {
      {"nothing taken, no part", {}, {}},
      {"0.6, 0.3 and 0.3 GiB",
       {{"a", kGiB * 6 / 10}, {"b", kGiB * 3 / 10}, {"c", kGiB * 3 / 10}},
       {{"a", "b"}, {"c"}}},
      {"exactly the limit stays together", {{"a", kGiB / 2}, {"b", kGiB / 2}}, {{"a", "b"}}},
      {"a first file over the limit leaves an empty first part",
       {{"big", kGiB + 1}, {"a", 1}},
       {{}, {"big"}, {"a"}}},
      {"a big file later gets a part of its own",
       {{"a", 10}, {"big", 2 * kGiB}, {"b", 10}},
       {{"a"}, {"big"}, {"b"}}},
      {"empty files never split", {{"a", kGiB}, {"e", 0}, {"f", 0}}, {{"a", "e", "f"}}},
  };
  for (const TCase& c : cases) EXPECT_EQ(PlanParts(c.Files, kArchivePartLimit), c.Parts) << c.What;
}

TEST(PartPlan, EveryFileInWalkOrderAndNoPartOverTheLimit) {
  std::vector<TPlannedFile> files;
  std::uint64_t sizes[] = {7, 3, 9, 1, 10, 2, 8, 8, 0, 5};
  for (size_t i = 0; i < std::size(sizes); ++i) files.push_back({std::to_string(i), sizes[i]});
  TPartPlan parts = PlanParts(files, 10);
  std::vector<std::string> order;
  for (const auto& part : parts) {
    std::uint64_t total = 0;
    for (const auto& path : part) {
      total += sizes[std::stoul(path)];
      order.push_back(path);
    }
    EXPECT_LE(total, 10u);
  }
  ASSERT_EQ(order.size(), files.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], files[i].Path);
}

}  // namespace
}  // namespace qv
