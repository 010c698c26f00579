#include "app/BaseList.h"

#include <cstdint>

#include "util/AnsiText.h"

namespace qv {
namespace {

bool ReadU32(std::string_view bytes, std::size_t& at, std::uint32_t& value) {
  if (bytes.size() - at < 4) return false;
  value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  at += 4;
  return true;
}

}  // namespace

std::string BaseListEntryDirectory(const std::string& text) {
  std::size_t bracket = text.find('[');
  if (bracket != std::string::npos) return text.substr(0, bracket);
  return WithTrailingBackslash(text);
}

void ParseBaseList(std::string_view bytes, TStringList& list) {
  std::size_t at = 0;
  std::uint32_t count = 0;
  if (!ReadU32(bytes, at, count) || static_cast<std::int32_t>(count) <= 0) return;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(count); ++i) {
    std::uint32_t length = 0;
    if (!ReadU32(bytes, at, length) || length > kBaseListMaxBody || bytes.size() - at < length)
      return;
    std::string_view body = bytes.substr(at, length);
    at += length;
    std::string text =
        length < kBaseListHeadLength ? std::string() : AnsiToUtf8(body.substr(kBaseListHeadLength));
    list.push_back(BaseListEntryDirectory(text));
  }
}

TStringList ChooseDatabaseList(const TStringList& current, const TStringList& installed,
                               const TStringList& user) {
  if (!user.empty()) return user;
  if (LowerCase1252(JoinLines(installed)) != LowerCase1252(JoinLines(current))) return installed;
  return current;
}

}  // namespace qv
