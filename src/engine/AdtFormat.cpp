#include "engine/AdtFormat.h"

#include <algorithm>
#include <cstring>

#include "util/Cp1252.h"
#include "util/StrUtils.h"

namespace qv {

namespace adt {

bool IsKnownFieldType(std::uint16_t type) {
  return (type >= Logical && type <= Image) || (type >= Double && type <= NVarChar && type != 25) ||
         type == NMemo || type == Guid;
}

bool IsMemoFieldType(std::uint16_t type) {
  return type == Memo || type == Binary || type == Image || type == NMemo;
}

}  // namespace adt

namespace {

using namespace ads_error;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct TFailure {
  std::uint32_t Code;
  std::string Text;
};

// Reads exactly count bytes at position; false when the file ends first.
bool ReadAt(IStream& stream, std::uint64_t position, std::uint8_t* buffer, std::size_t count) {
  stream.Seek(position);
  return ReadFully(stream, buffer, count) == count;
}

// The bytes a field of this type takes in the record; false for types whose
// length is the table's choice within limits (checked by LengthFits).
bool FixedLength(std::uint16_t type, std::uint16_t length) {
  using namespace adt;
  switch (type) {
    case Logical:
      return length == 1;
    case Date:
    case Integer:
    case Time:
    case AutoInc:
      return length == 4;
    case ShortInt:
      return length == 2;
    case Double:
    case TimeStamp:
    case CurDouble:
    case Money:
    case LongInt:
    case RowVersion:
    case ModTime:
      return length == 8;
    case Memo:
    case Binary:
    case Image:
    case NMemo:
      return length == 9 || length == 16;
    case Guid:
      return length == 16;
    case Numeric:
      return length >= 2 && length <= 32;
    case VarCharFox:
    case VarBinaryFox:
      return length >= 3;
    case NChar:
      return length >= 2 && length % 2 == 0;
    case NVarChar:
      return length >= 4 && length % 2 == 0;
    default:
      return length >= 1;  // Character, CICharacter, Raw
  }
}

std::string FieldName(const std::uint8_t* descriptor) {
  std::size_t n = 0;
  while (n < adt::kNameLength && descriptor[n] != 0) ++n;
  return Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(descriptor), n));
}

// Header and field descriptors; fills the structure or names the fault.
bool CheckTable(IStream& table, TAdtStructure& s, TFailure& failure) {
  std::uint64_t size = table.Size();
  if (size == 0) {
    failure = {kFileReadProblem, "File read problem: the table file is empty."};
    return false;
  }
  std::uint8_t header[adt::kHeaderSize];
  if (!ReadAt(table, 0, header, sizeof header)) {
    failure = {kCorruptTable, "Corrupt table: the header is incomplete."};
    return false;
  }
  if (std::memcmp(header, adt::kSignature, sizeof adt::kSignature) != 0) {
    failure = {kCorruptTable, "Corrupt table: header signature missing."};
    return false;
  }
  std::uint32_t version = U32(header + adt::kVersionAt);
  if (version != 1) {
    failure = {kCorruptTable,
               "Corrupt table: unknown table version " + std::to_string(version) + "."};
    return false;
  }
  std::uint16_t fieldCount = U16(header + adt::kFieldCountAt);
  std::uint32_t dataOffset = U32(header + adt::kDataOffsetAt);
  s.RecordLength = U32(header + adt::kRecordLengthAt);
  s.HeaderRecordCount = U32(header + adt::kRecordCountAt);
  s.Flags = U32(header + adt::kFlagsAt);
  // The data offset, the field count and the file length must agree.
  if (fieldCount == 0 || dataOffset != adt::kHeaderSize + adt::kDescriptorSize * fieldCount) {
    failure = {kCorruptTable, "Corrupt table: the data offset does not match the field count."};
    return false;
  }
  if (size < dataOffset) {
    failure = {kCorruptTable, "Corrupt table: the field descriptions are incomplete."};
    return false;
  }
  if (s.RecordLength <= adt::kRecordPrefix || s.RecordLength > adt::kMaxRecordLength) {
    failure = {kCorruptTable,
               "Corrupt table: invalid record length " + std::to_string(s.RecordLength) + "."};
    return false;
  }
  // Records are counted from the file length; a wrong count in the header is no fault.
  if ((size - dataOffset) % s.RecordLength != 0) {
    failure = {kCorruptTable, "Corrupt table: the file does not end on a record boundary."};
    return false;
  }
  std::uint64_t records = (size - dataOffset) / s.RecordLength;
  s.RecordCount = records > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(records);

  std::uint8_t d[adt::kDescriptorSize];
  for (std::uint16_t i = 0; i < fieldCount; ++i) {
    if (!ReadAt(table, adt::kHeaderSize + adt::kDescriptorSize * i, d, sizeof d)) {
      failure = {kCorruptTable, "Corrupt table: the field descriptions are incomplete."};
      return false;
    }
    TAdtField f;
    f.Name = FieldName(d);
    f.Type = U16(d + adt::kFieldTypeAt);
    f.Offset = U16(d + adt::kFieldOffsetAt);
    f.Length = U16(d + adt::kFieldLengthAt);
    f.Decimals = U16(d + adt::kFieldDecimalsAt);
    if (!adt::IsKnownFieldType(f.Type)) {
      failure = {kUnrecognizedFieldType, "Unrecognized field type " + std::to_string(f.Type) +
                                             " in field " + std::to_string(i + 1) + "."};
      return false;
    }
    if (f.Name.empty()) {
      failure = {kCorruptTable, "Corrupt table: field " + std::to_string(i + 1) + " has no name."};
      return false;
    }
    if (!FixedLength(f.Type, f.Length)) {
      failure = {kCorruptTable, "Corrupt table: invalid length of field " + f.Name + "."};
      return false;
    }
    if (f.Offset < adt::kRecordPrefix || f.Offset + f.Length > s.RecordLength) {
      failure = {kCorruptTable, "Corrupt table: field " + f.Name + " lies beyond the record."};
      return false;
    }
    s.Fields.push_back(f);
  }
  // Fields must not overlap, and the record must end where the last field ends.
  std::vector<TAdtField> byOffset = s.Fields;
  std::sort(byOffset.begin(), byOffset.end(),
            [](const TAdtField& a, const TAdtField& b) { return a.Offset < b.Offset; });
  std::uint32_t end = adt::kRecordPrefix;
  for (const TAdtField& f : byOffset) {
    if (f.Offset < end) {
      failure = {kCorruptTable, "Corrupt table: field " + f.Name + " overlaps another field."};
      return false;
    }
    end = f.Offset + f.Length;
  }
  if (end != s.RecordLength) {
    failure = {kCorruptTable, "Corrupt table: the record length does not match the fields."};
    return false;
  }
  return true;
}

bool CheckMemoFile(IFileSource& files, const std::string& tablePath, TFailure& failure) {
  TOpenedFile memo = files.OpenForReading(ChangeFileExt(tablePath, ".ADM"));
  if (memo.Status != TOpenStatus::Ok) {
    failure = {kFileOpenFailure, memo.Status == TOpenStatus::NotFound
                                     ? "File open failure: the memo file is missing."
                                     : "File open failure: the memo file cannot be opened."};
    return false;
  }
  if (memo.Stream->Size() == 0) {
    failure = {kFileReadProblem, "File read problem: the memo file is empty."};
    return false;
  }
  return true;  // memo blocks are read with the records, not at open
}

bool CheckIndexFile(IFileSource& files, const std::string& tablePath, TAdtStructure& s,
                    TFailure& failure) {
  TOpenedFile index = files.OpenForReading(ChangeFileExt(tablePath, ".ADI"));
  if (index.Status == TOpenStatus::NotFound) return true;  // opens without index tags
  if (index.Status != TOpenStatus::Ok) {
    failure = {kFileOpenFailure, "File open failure: the index file cannot be opened."};
    return false;
  }
  std::uint64_t size = index.Stream->Size();
  if (size == 0) {
    failure = {kFileReadProblem, "File read problem: the index file is empty."};
    return false;
  }
  std::uint8_t head[0x14];
  std::uint32_t version = 0;
  if (ReadAt(*index.Stream, 0, head, sizeof head)) version = U32(head + adt::kIndexVersionAt);
  if (version != 1 && version != 2) {
    failure = {kUnrecognizedIndexVersion, "Unrecognized ADI version."};
    return false;
  }
  std::uint32_t pageSize = U16(head + adt::kIndexPageSizeAt);
  if (pageSize == 0) pageSize = adt::kDefaultIndexPageSize;
  // An index file is made of whole pages.
  if (pageSize < adt::kDefaultIndexPageSize || pageSize > adt::kMaxIndexPageSize ||
      size % pageSize != 0) {
    failure = {kCorruptIndex, "Corrupt ADI index: the file is not made of whole pages."};
    return false;
  }
  s.HasIndex = true;
  s.IndexPageSize = pageSize;
  return true;
}

}  // namespace

std::string EngineMessage(std::uint32_t code, const std::string& text, const std::string& detail) {
  return "Error " + std::to_string(code) + ":  " + text + "  " + detail;
}

TOpenVerdict CheckTableFiles(IFileSource& files, const std::string& tablePath) {
  TOpenVerdict verdict;
  TFailure failure{0, {}};
  TOpenedFile table = files.OpenForReading(tablePath);
  bool sound = false;
  if (table.Status == TOpenStatus::NotFound) {
    failure = {kFileNotFound, "File not found."};
  } else if (table.Status == TOpenStatus::OpenFailed) {
    failure = {kFileOpenFailure, "File open failure: the table is in use or access is denied."};
  } else {
    try {
      sound = CheckTable(*table.Stream, verdict.Structure, failure);
      bool hasMemo = std::any_of(verdict.Structure.Fields.begin(), verdict.Structure.Fields.end(),
                                 [](const TAdtField& f) { return adt::IsMemoFieldType(f.Type); });
      if (sound && hasMemo) sound = CheckMemoFile(files, tablePath, failure);
      if (sound) sound = CheckIndexFile(files, tablePath, verdict.Structure, failure);
    } catch (const std::exception& e) {
      sound = false;
      failure = {kFileReadProblem, std::string("File read problem: ") + e.what()};
    }
  }
  if (!sound) {
    verdict.Code = failure.Code;
    verdict.Message = EngineMessage(failure.Code, failure.Text, tablePath);
    verdict.Structure = TAdtStructure{};
  }
  return verdict;
}

}  // namespace qv
