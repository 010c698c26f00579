#pragma once
// The machine a Windows program file (EXE or DLL) was built for, read from
// its first bytes: a 32-bit program cannot load a 64-bit DLL and the other
// way round, and telling this before loading gives a clear reason.
#include <cstdint>
#include <string_view>

namespace qv {

inline constexpr std::uint16_t kPeMachineI386 = 0x014C;
inline constexpr std::uint16_t kPeMachineAmd64 = 0x8664;
// The first bytes that hold the headers of every ordinary program file.
inline constexpr std::size_t kPeProbeSize = 4096;

// The machine field of the file's PE header; 0 when the bytes are no PE file.
std::uint16_t PeMachine(std::string_view firstBytes);

// "32-Bit", "64-Bit" or "unbekannte" (for the German reason texts).
const char* PeMachineWord(std::uint16_t machine);

}  // namespace qv
