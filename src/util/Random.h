#pragma once
// The process-wide random generator; safe to use from several threads.
#include <cstddef>
#include <cstdint>

namespace qv {

// A number from 0 to range - 1.
std::uint32_t RandomNumber(std::uint32_t range);
// Fills the buffer with bytes drawn uniformly from 0..255.
void RandomBytes(std::uint8_t* buffer, std::size_t count);

}  // namespace qv
