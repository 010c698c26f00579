#include "engine/PeImage.h"

namespace qv {
namespace {

constexpr std::size_t kNewHeaderOffsetAt = 0x3C;  // in the MS-DOS header

std::uint32_t U32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
  return v;
}

}  // namespace

std::uint16_t PeMachine(std::string_view b) {
  if (b.size() < kNewHeaderOffsetAt + 4 || b.substr(0, 2) != "MZ") return 0;
  std::uint32_t pe = U32(b, kNewHeaderOffsetAt);
  if (pe > b.size() || b.size() - pe < 8) return 0;
  if (b.substr(pe, 4) != std::string_view("PE\0\0", 4)) return 0;
  return static_cast<std::uint16_t>(U32(b, pe + 4) & 0xFFFF);
}

const char* PeMachineWord(std::uint16_t machine) {
  if (machine == kPeMachineI386) return "32-Bit";
  if (machine == kPeMachineAmd64) return "64-Bit";
  return "unbekannte";
}

}  // namespace qv
