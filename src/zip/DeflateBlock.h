#pragma once
// One block of an entry, compressed on its own into raw deflate: blocks of
// one entry, written in order, join into one valid deflate stream because
// every block but the last ends byte-aligned without the final bit. The
// previous block's tail is preset as dictionary, so splitting costs almost
// nothing in size.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

namespace qv {

// Input bytes per block, and the dictionary a block carries from the one before.
inline constexpr std::size_t kDeflateBlockSize = 256 * 1024;
inline constexpr std::size_t kDeflateWindow = 32 * 1024;

struct TDeflateBlock {
  // What is compressed, and how.
  std::vector<std::uint8_t> Input;
  std::vector<std::uint8_t> Dictionary;
  bool Last = true;  // ends the entry's stream
  int Level = -1;
  int Strategy = 0;
  int DataType = 0;  // zlib's preset; 2 lets zlib classify the data
  // What the compression gives.
  std::vector<std::uint8_t> Output;
  std::uint32_t Crc = 0;  // CRC-32 of Input alone
  int DataTypeOut = 0;
  std::exception_ptr Failure;  // what went wrong, raised where the block is written
  // Where it belongs: the first block of an entry starts it.
  bool First = true;
};

// Compresses the block; failures are kept in Failure, never thrown.
void CompressBlock(TDeflateBlock& block);

// The CRC-32 of two pieces joined, from the CRC of each and the second's length.
std::uint32_t CombineCrc(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);

// Raises the writer's failure for a negative zlib result.
void CheckZlibResult(int result);

}  // namespace qv
