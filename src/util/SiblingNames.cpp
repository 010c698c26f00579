#include "util/SiblingNames.h"

namespace qv {

namespace {
constexpr std::string_view kMark = ".~";
constexpr std::string_view kTail = ".tmp";
}  // namespace

std::string TemporarySiblingName(const std::string& path, std::uint32_t number) {
  return path + std::string(kMark) + std::to_string(number) + std::string(kTail);
}

bool IsTemporarySiblingName(std::string_view name) {
  if (name.size() <= kTail.size() || name.substr(name.size() - kTail.size()) != kTail) return false;
  std::string_view rest = name.substr(0, name.size() - kTail.size());
  size_t digits = rest.find_last_not_of("0123456789");
  if (digits == std::string_view::npos || digits + 1 == rest.size()) return false;
  rest = rest.substr(0, digits + 1);
  return rest.size() > kMark.size() && rest.substr(rest.size() - kMark.size()) == kMark;
}

}  // namespace qv
