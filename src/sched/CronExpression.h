#pragma once
// Cron expressions over local wall-clock seconds: six 64-bit value sets
// (second, minute, hour, day, month, day of week). Parsing never fails.
#include <array>
#include <cstdint>
#include <string_view>

#include "util/Seams.h"

namespace qv {

class TCronExpression {
 public:
  static constexpr std::uint64_t kAny = ~std::uint64_t{0};
  static constexpr std::uint64_t kNone = 0;
  static constexpr int kSetCount = 6;

  // Replaces all six sets from the text.
  void Parse(std::string_view expression);
  bool Matches(const TLocalTime& time) const;

  std::uint64_t Set(int index) const { return sets_[static_cast<size_t>(index)]; }
  bool operator==(const TCronExpression&) const = default;

 private:
  std::array<std::uint64_t, kSetCount> sets_{};  // a new cron matches nothing
};

// The number conversion of the expressions: signed decimal, "$" or "0x" for
// hexadecimal; an incomplete text keeps the value of its leading digits.
struct TCronNumber {
  long long Value = 0;
  bool Valid = false;
};
TCronNumber ParseCronNumber(std::string_view text);

}  // namespace qv
