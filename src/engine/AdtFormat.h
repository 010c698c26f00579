#pragma once
// The layout of ADT tables and the checks the built-in engine applies when a
// table is opened. Only headers are read: record contents and index keys are
// never examined, and nothing is ever written.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/FileSource.h"

namespace qv {

namespace adt {
inline constexpr std::size_t kHeaderSize = 400;
inline constexpr std::size_t kDescriptorSize = 200;
inline constexpr std::size_t kRecordPrefix = 5;
inline constexpr std::uint32_t kMaxRecordLength = 65530;
inline constexpr char kSignature[16] = {'A', 'd', 'v', 'a', 'n', 't', 'a', 'g',
                                        'e', ' ', 'T', 'a', 'b', 'l', 'e', '\0'};
// Header fields (offsets).
inline constexpr std::size_t kVersionAt = 20;
inline constexpr std::size_t kRecordCountAt = 24;
inline constexpr std::size_t kDataOffsetAt = 32;
inline constexpr std::size_t kRecordLengthAt = 36;
inline constexpr std::size_t kDeletedChainAt = 40;
inline constexpr std::size_t kDeletedCountAt = 48;
inline constexpr std::size_t kAutoIncAt = 80;
inline constexpr std::size_t kFlagsAt = 88;
inline constexpr std::size_t kFieldCountAt = 358;
// Field descriptor fields (offsets within the descriptor).
inline constexpr std::size_t kNameLength = 128;
inline constexpr std::size_t kFieldTypeAt = 129;
inline constexpr std::size_t kFieldOffsetAt = 131;
inline constexpr std::size_t kFieldLengthAt = 135;
inline constexpr std::size_t kFieldDecimalsAt = 139;
// Header flags.
inline constexpr std::uint32_t kFlagMemo = 0x01;
inline constexpr std::uint32_t kFlagAutoInc = 0x02;
inline constexpr std::uint32_t kFlagVersion12 = 0x10;
// The memo file's block size, big-endian.
inline constexpr std::size_t kMemoBlockSizeAt = 6;
// Index file.
inline constexpr std::size_t kIndexVersionAt = 0;
inline constexpr std::size_t kIndexPageSizeAt = 0x12;
inline constexpr std::uint32_t kDefaultIndexPageSize = 512;
inline constexpr std::uint32_t kMaxIndexPageSize = 8192;

enum TFieldType : std::uint16_t {
  Logical = 1,
  Numeric = 2,
  Date = 3,
  Character = 4,
  Memo = 5,
  Binary = 6,
  Image = 7,
  Double = 10,
  Integer = 11,
  ShortInt = 12,
  Time = 13,
  TimeStamp = 14,
  AutoInc = 15,
  Raw = 16,
  CurDouble = 17,
  Money = 18,
  LongInt = 19,
  CICharacter = 20,
  RowVersion = 21,
  ModTime = 22,
  VarCharFox = 23,
  VarBinaryFox = 24,
  NChar = 26,
  NVarChar = 27,
  NMemo = 28,
  Guid = 29,
};
bool IsKnownFieldType(std::uint16_t type);
bool IsMemoFieldType(std::uint16_t type);
}  // namespace adt

// Error codes and texts of the engine.
namespace ads_error {
// A name or text the engine cannot take (the same code as a bad number).
inline constexpr std::uint32_t kInvalidParameter = 5012;
inline constexpr std::uint32_t kFileOpenFailure = 7008;
inline constexpr std::uint32_t kFileReadProblem = 7010;
inline constexpr std::uint32_t kCorruptTable = 7016;
inline constexpr std::uint32_t kFileNotFound = 7041;
inline constexpr std::uint32_t kCorruptIndex = 7058;
inline constexpr std::uint32_t kUnrecognizedIndexVersion = 7108;
inline constexpr std::uint32_t kUnrecognizedFieldType = 7123;
inline constexpr std::uint32_t kInvalidHandle = 5018;
inline constexpr std::uint32_t kInvalidNumber = 5012;  // a field or index number out of range
// An index call given a handle that is no index order (the table's, say).
inline constexpr std::uint32_t kNotAnIndexOrder = 5014;
inline constexpr char kNotAnIndexOrderText[] =
    "Advantage does not have an index open with the specified handle.";
inline constexpr char kNotAnIndexOrderDetail[] = "The handle must be to an index order.";
}  // namespace ads_error

struct TAdtField {
  std::string Name;
  std::uint16_t Type = 0;
  std::uint16_t Offset = 0;
  std::uint16_t Length = 0;
  std::uint16_t Decimals = 0;
};

struct TAdtStructure {
  std::uint32_t RecordLength = 0;
  std::uint32_t RecordCount = 0;  // from the file length, not the header
  std::uint32_t HeaderRecordCount = 0;
  std::uint32_t Flags = 0;
  std::vector<TAdtField> Fields;
  bool HasIndex = false;
  std::uint32_t IndexPageSize = 0;
};

// The outcome of an open: 0 and the structure, or a code and its message in
// the engine's form "Error <code>:  <text>  <detail>".
struct TOpenVerdict {
  std::uint32_t Code = 0;
  std::string Message;
  TAdtStructure Structure;
};

std::string EngineMessage(std::uint32_t code, const std::string& text, const std::string& detail);

// Opens the table at tablePath (with its .ADM and .ADI beside it) and checks it.
TOpenVerdict CheckTableFiles(IFileSource& files, const std::string& tablePath);

}  // namespace qv
