// Arbitrary bytes as the first bytes of a DLL found on disk: the machine is
// read without a crash, and it is 0 unless the bytes start like a program file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/PeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::uint16_t machine = qv::PeMachine(bytes);
  if (machine != 0 && bytes.substr(0, 2) != "MZ") __builtin_trap();
  qv::PeMachineWord(machine);
  return 0;
}
