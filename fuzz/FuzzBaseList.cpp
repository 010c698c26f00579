// Any bytes as BASE.LST: reading ends without crash, hang or unbounded
// growth, and never returns more entries than whole records fit the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/BaseList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::TStringList list;
  qv::ParseBaseList(std::string_view(reinterpret_cast<const char*>(data), size), list);
  if (list.size() > size / 4) __builtin_trap();
  return 0;
}
