#include "AdtGen.h"

#include <cstring>
#include <stdexcept>

namespace qv::adtgen {
namespace {

constexpr std::size_t kHeader = 400;
constexpr std::size_t kDescriptor = 200;

void PutU16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t GetU32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<std::uint8_t>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

bool IsMemoType(std::uint16_t type) { return type == 5 || type == 6 || type == 7 || type == 28; }

// Julian day number of a calendar date (the engine stores dates this way).
std::int32_t JulianDay(int y, int m, int d) {
  int a = (14 - m) / 12;
  int yy = y + 4800 - a;
  int mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

struct TMemoWriter {
  std::uint16_t blockSize;
  std::string bytes;
  explicit TMemoWriter(std::uint16_t size) : blockSize(size), bytes(512, '\0') {
    bytes[6] = static_cast<char>(size >> 8);
    bytes[7] = static_cast<char>(size & 0xFF);
    Pad();
  }
  void Pad() {
    while (bytes.size() % blockSize) bytes += '\0';
  }
  std::uint32_t Add(const std::string& text) {
    std::uint32_t block = static_cast<std::uint32_t>(bytes.size() / blockSize);
    bytes += text;
    Pad();
    return block;
  }
};

void PutValue(std::string& record, const TField& f, std::size_t at, const TValue& v,
              TMemoWriter* memo) {
  switch (f.Type) {
    case 5:
    case 6:
    case 7:
    case 28: {
      if (v.Kind == TValue::Empty || v.TextValue.empty() || !memo) return;
      PutU32(record, at, memo->Add(v.TextValue));
      PutU32(record, at + 4, static_cast<std::uint32_t>(v.TextValue.size()));
      return;
    }
    case 3:
      if (v.Kind == TValue::Date)
        PutU32(record, at, static_cast<std::uint32_t>(JulianDay(v.Year, v.Month, v.Day)));
      return;
    case 1:
      record[at] = v.Kind == TValue::Logical && v.IntValue ? 'T' : 'F';
      return;
    case 10:
    case 17:
    case 18: {
      double d = v.Kind == TValue::Double ? v.DoubleValue : static_cast<double>(v.IntValue);
      std::memcpy(&record[at], &d, 8);
      return;
    }
    case 11:
    case 15:
      PutU32(record, at, static_cast<std::uint32_t>(v.IntValue));
      return;
    case 4:
    case 20: {
      std::string text = v.TextValue.substr(0, f.Length);
      text.resize(f.Length, ' ');
      record.replace(at, f.Length, text);
      return;
    }
    default:
      return;
  }
}

std::string IndexFile(std::uint32_t pages, std::uint16_t pageSize) {
  std::string b(static_cast<std::size_t>(pages) * pageSize, '\0');
  PutU32(b, 0, 2);
  PutU32(b, 8, 1);
  PutU16(b, 0x0C, 0x80);
  PutU16(b, 0x10, 0x400);
  PutU16(b, 0x12, pageSize);
  return b;
}

}  // namespace

TTableFiles Build(const TTableSpec& spec) {
  TTableFiles files;
  std::uint32_t recordLength = 5;
  bool hasMemo = false, hasAutoInc = false;
  for (const TField& f : spec.Fields) {
    recordLength += f.Length;
    hasMemo = hasMemo || IsMemoType(f.Type);
    hasAutoInc = hasAutoInc || f.Type == 15;
  }
  std::uint32_t dataOffset = static_cast<std::uint32_t>(kHeader + kDescriptor * spec.Fields.size());
  std::string& adt = files.Adt;
  adt.assign(dataOffset, '\0');
  std::memcpy(&adt[0], "Advantage Table", 15);
  PutU32(adt, 20, 1);
  PutU32(adt, 24, static_cast<std::uint32_t>(spec.Records.size()));
  PutU32(adt, 32, dataOffset);
  PutU32(adt, 36, recordLength);
  PutU32(adt, 80, hasAutoInc ? static_cast<std::uint32_t>(spec.Records.size() + 1) : 0);
  PutU32(adt, 88, (hasMemo ? 0x01u : 0u) | (hasAutoInc ? 0x02u : 0u) | 0x10u);
  PutU16(adt, 358, static_cast<std::uint32_t>(spec.Fields.size()));
  std::size_t offset = 5;
  for (std::size_t i = 0; i < spec.Fields.size(); ++i) {
    const TField& f = spec.Fields[i];
    std::size_t d = kHeader + kDescriptor * i;
    std::memcpy(&adt[d], f.Name.data(), std::min<std::size_t>(f.Name.size(), 128));
    PutU16(adt, d + 129, f.Type);
    PutU16(adt, d + 131, static_cast<std::uint32_t>(offset));
    PutU16(adt, d + 135, f.Length);
    PutU16(adt, d + 139, f.Decimals);
    offset += f.Length;
  }
  TMemoWriter memo(spec.MemoBlockSize);
  for (const auto& values : spec.Records) {
    std::string record(recordLength, '\0');
    std::size_t at = 5;
    for (std::size_t i = 0; i < spec.Fields.size(); ++i) {
      if (i < values.size()) PutValue(record, spec.Fields[i], at, values[i], &memo);
      at += spec.Fields[i].Length;
    }
    adt += record;
  }
  if (hasMemo) {
    files.HasAdm = true;
    files.Adm = memo.bytes;
  }
  if (spec.WithIndex) {
    files.HasAdi = true;
    files.Adi = IndexFile(spec.IndexPages, spec.IndexPageSize);
  }
  return files;
}

TTableSpec CustomerTable(int records) {
  TTableSpec spec;
  spec.Fields = {{"NR", 11, 4}, {"NAME", 4, 40}, {"ORT", 4, 30}, {"SEIT", 3, 4}, {"NOTIZ", 5, 9}};
  static const char* kNames[] = {"M\xFCller & S\xF6hne", "Schmidt GmbH", "Wei\xDF KG", "Becker"};
  static const char* kPlaces[] = {"K\xF6ln", "M\xFCnchen", "Hamburg", "D\xFCsseldorf"};
  for (int i = 0; i < records; ++i) {
    TValue note = i % 3 == 0 ? TValue::Str("Notiz zu Kunde " + std::to_string(i + 1) + ": " +
                                           std::string(static_cast<std::size_t>(20 + i % 50), 'x'))
                             : TValue{};
    spec.Records.push_back({TValue::Int(i + 1), TValue::Str(kNames[i % 4]),
                            TValue::Str(kPlaces[i % 4]),
                            TValue::DateOf(2000 + i % 25, 1 + i % 12, 1 + i % 28), note});
  }
  spec.WithIndex = true;
  spec.IndexPages = 18;
  return spec;
}

TTableSpec ArticleTable(int records, bool withIndex) {
  TTableSpec spec;
  spec.Fields = {
      {"NR", 15, 4}, {"BEZ", 20, 60}, {"PREIS", 18, 8}, {"MENGE", 10, 8, 2}, {"AKTIV", 1, 1}};
  for (int i = 0; i < records; ++i)
    spec.Records.push_back({TValue::Int(i + 1), TValue::Str("Artikel " + std::to_string(i + 1)),
                            TValue::Real(9.99 + i), TValue::Real(i * 1.5),
                            TValue::Bool(i % 2 == 0)});
  spec.WithIndex = withIndex;
  spec.IndexPages = 6;
  return spec;
}

std::uint32_t ExpectedCode(TDamage damage) {
  switch (damage) {
    case TDamage::EmptyTable:
    case TDamage::EmptyMemo:
    case TDamage::EmptyIndex:
      return 7010;
    case TDamage::BadSignature:
    case TDamage::TruncatedHeader:
    case TDamage::CutMidRecord:
    case TDamage::WrongVersion:
    case TDamage::DataOffsetWrong:
    case TDamage::RecordLengthChanged:
    case TDamage::FieldBeyondRecord:
    case TDamage::OverlappingFields:
      return 7016;
    case TDamage::UnknownFieldType:
      return 7123;
    case TDamage::MissingMemo:
      return 7008;
    case TDamage::GarbageIndex:
      return 7108;
    case TDamage::IndexNotWholePages:
      return 7058;
    default:
      return 0;
  }
}

const char* DamageName(TDamage damage) {
  switch (damage) {
    case TDamage::EmptyTable:
      return "EmptyTable";
    case TDamage::BadSignature:
      return "BadSignature";
    case TDamage::TruncatedHeader:
      return "TruncatedHeader";
    case TDamage::CutMidRecord:
      return "CutMidRecord";
    case TDamage::WrongVersion:
      return "WrongVersion";
    case TDamage::DataOffsetWrong:
      return "DataOffsetWrong";
    case TDamage::RecordLengthChanged:
      return "RecordLengthChanged";
    case TDamage::FieldBeyondRecord:
      return "FieldBeyondRecord";
    case TDamage::OverlappingFields:
      return "OverlappingFields";
    case TDamage::UnknownFieldType:
      return "UnknownFieldType";
    case TDamage::MissingMemo:
      return "MissingMemo";
    case TDamage::EmptyMemo:
      return "EmptyMemo";
    case TDamage::GarbageIndex:
      return "GarbageIndex";
    case TDamage::IndexNotWholePages:
      return "IndexNotWholePages";
    case TDamage::EmptyIndex:
      return "EmptyIndex";
    case TDamage::CountTooHigh:
      return "CountTooHigh";
    case TDamage::CountTooLow:
      return "CountTooLow";
    case TDamage::ExtraRecords:
      return "ExtraRecords";
    case TDamage::UnknownFlag:
      return "UnknownFlag";
    case TDamage::GarbageDeletedByte:
      return "GarbageDeletedByte";
    case TDamage::MemoGarbageHeader:
      return "MemoGarbageHeader";
    case TDamage::MemoReferenceBeyondFile:
      return "MemoReferenceBeyondFile";
    case TDamage::IndexMissing:
      return "IndexMissing";
  }
  return "?";
}

std::vector<TDamage> AllDamages() {
  std::vector<TDamage> all;
  for (int d = 0; d <= static_cast<int>(TDamage::IndexMissing); ++d)
    all.push_back(static_cast<TDamage>(d));
  return all;
}

void ApplyDamage(TTableFiles& f, TDamage damage) {
  std::string& adt = f.Adt;
  std::uint32_t dataOffset = GetU32(adt, 32);
  std::uint32_t recordLength = GetU32(adt, 36);
  std::size_t firstField = kHeader;
  std::size_t lastField = dataOffset - kDescriptor;
  switch (damage) {
    case TDamage::EmptyTable:
      adt.clear();
      break;
    case TDamage::BadSignature:
      adt[0] = 'a';
      break;
    case TDamage::TruncatedHeader:
      adt.resize(200);
      break;
    case TDamage::CutMidRecord:
      adt.resize(adt.size() - recordLength / 2);
      break;
    case TDamage::WrongVersion:
      PutU32(adt, 20, 2);
      break;
    case TDamage::DataOffsetWrong:
      PutU32(adt, 32, dataOffset + 200);
      break;
    case TDamage::RecordLengthChanged: {
      // One byte more per record: the file is padded so its length still fits.
      std::uint32_t records = (static_cast<std::uint32_t>(adt.size()) - dataOffset) / recordLength;
      PutU32(adt, 36, recordLength + 1);
      adt.append(records, '\0');
      break;
    }
    case TDamage::FieldBeyondRecord:
      PutU16(adt, lastField + 135, recordLength);
      break;
    case TDamage::OverlappingFields:
      PutU16(adt, lastField + 131, 5);
      break;
    case TDamage::UnknownFieldType:
      PutU16(adt, firstField + 129, 9);
      break;
    case TDamage::MissingMemo:
      f.HasAdm = false;
      f.Adm.clear();
      break;
    case TDamage::EmptyMemo:
      f.Adm.clear();
      break;
    case TDamage::GarbageIndex:
      for (std::size_t i = 0; i < f.Adi.size(); ++i)
        f.Adi[i] = static_cast<char>((i * 131 + 7) ^ 0x5A);
      break;
    case TDamage::IndexNotWholePages:
      f.Adi.resize(f.Adi.size() - 100);
      break;
    case TDamage::EmptyIndex:
      f.Adi.clear();
      break;
    case TDamage::CountTooHigh:
      PutU32(adt, 24, GetU32(adt, 24) + 10);
      break;
    case TDamage::CountTooLow:
      PutU32(adt, 24, 0);
      break;
    case TDamage::ExtraRecords:
      adt.append(std::string(recordLength * 2, '\0'));
      break;
    case TDamage::UnknownFlag:
      PutU32(adt, 88, GetU32(adt, 88) | 0x100);
      break;
    case TDamage::GarbageDeletedByte:
      if (adt.size() > dataOffset) adt[dataOffset] = static_cast<char>(0xA7);
      break;
    case TDamage::MemoGarbageHeader:
      for (std::size_t i = 0; i < 16 && i < f.Adm.size(); ++i)
        f.Adm[i] = static_cast<char>(0xEE - i);
      break;
    case TDamage::MemoReferenceBeyondFile:
      for (std::size_t field = kHeader; field < dataOffset; field += kDescriptor) {
        std::uint16_t type =
            static_cast<std::uint16_t>(static_cast<std::uint8_t>(adt[field + 129]) |
                                       (static_cast<std::uint8_t>(adt[field + 130]) << 8));
        if (!IsMemoType(type) || adt.size() <= dataOffset) continue;
        std::size_t at = dataOffset + (static_cast<std::uint8_t>(adt[field + 131]) |
                                       (static_cast<std::uint8_t>(adt[field + 132]) << 8));
        PutU32(adt, at, 0x7FFFFFF0);
        PutU32(adt, at + 4, 100);
        break;
      }
      break;
    case TDamage::IndexMissing:
      f.HasAdi = false;
      f.Adi.clear();
      break;
  }
}

}  // namespace qv::adtgen
