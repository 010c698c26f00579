#include "sched/CronExpression.h"

namespace qv {
namespace {

constexpr size_t kMaxExpressionLength = 255;
constexpr size_t kMaxFieldLength = 63;
constexpr long long kHighestValue = 59;
// Numbers saturate here: anything above 59 behaves alike, and the loop
// arithmetic below stays far from overflow.
constexpr long long kSaturation = 1LL << 40;

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

// Splits text at the first occurrence of separator; the separator is consumed.
std::string_view CutAt(std::string_view& text, char separator, bool* found = nullptr) {
  size_t pos = text.find(separator);
  std::string_view head = text.substr(0, pos);
  text = pos == std::string_view::npos ? std::string_view{} : text.substr(pos + 1);
  if (found) *found = pos != std::string_view::npos;
  return head;
}

void AddItem(std::uint64_t& set, std::string_view item) {
  std::string_view rest = item;
  std::string_view rangeText = CutAt(rest, '+');
  long long step = ParseCronNumber(rest).Value;

  std::string_view endText = rangeText;
  std::string_view startText = CutAt(endText, '-');
  TCronNumber end = ParseCronNumber(endText);
  if (!end.Valid && step != 0) end.Value = kHighestValue;
  long long start = ParseCronNumber(startText).Value;
  if (step == 0) step = 1;
  // A negative step never occurs in the program's own expressions; it adds the
  // start value alone, so that the loop below always ends.
  if (step < 0) step = kSaturation;

  for (long long v = start;;) {
    if (v > kHighestValue || v < 0) break;
    set |= std::uint64_t{1} << v;
    v += step;
    if (v > end.Value) break;
  }
}

void ReadField(std::uint64_t& set, std::string_view field) {
  if (field.find('*') != std::string_view::npos) return;  // stays 'any'
  set = TCronExpression::kNone;
  while (!field.empty()) AddItem(set, CutAt(field, ','));
}

bool InSet(std::uint64_t set, int value) {
  return value >= 0 && value <= 63 && (set >> value) & 1u;
}

}  // namespace

TCronNumber ParseCronNumber(std::string_view text) {
  TCronNumber result;
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  size_t firstDigit = i;
  long long value = 0;
  for (; i < text.size(); ++i) {
    int d = DigitValue(text[i], base);
    if (d < 0) break;
    value = value * base + d;
    if (value > kSaturation) value = kSaturation;
  }
  result.Value = negative ? -value : value;
  result.Valid = i == text.size() && i > firstDigit;
  return result;
}

void TCronExpression::Parse(std::string_view expression) {
  std::string_view rest = expression.substr(0, kMaxExpressionLength);
  sets_.fill(kAny);
  for (auto& set : sets_) {
    if (rest.empty()) return;
    std::string_view field = CutAt(rest, ' ');
    ReadField(set, field.substr(0, kMaxFieldLength));
    if (rest.empty()) return;
  }
}

bool TCronExpression::Matches(const TLocalTime& time) const {
  const int components[kSetCount] = {time.Second, time.Minute, time.Hour,
                                     time.Day,    time.Month,  time.DayOfWeek};
  for (int i = 0; i < kSetCount; ++i)
    if (!InSet(sets_[static_cast<size_t>(i)], components[i])) return false;
  return true;
}

}  // namespace qv
