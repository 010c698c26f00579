#pragma once
// Builds ADT test tables (with memo and index files) in memory, sound or with
// a chosen damage, as the engine and the backup tests need them.
#include <cstdint>
#include <string>
#include <vector>

namespace qv::adtgen {

struct TField {
  std::string Name;
  std::uint16_t Type = 4;  // Character
  std::uint16_t Length = 10;
  std::uint16_t Decimals = 0;
};

// A value for one field of one record; memo fields take their text here.
struct TValue {
  enum TKind { Empty, Text, Integer, Date, Logical, Double };
  TKind Kind = Empty;
  std::string TextValue;  // Text (ANSI bytes) and memo contents
  std::int64_t IntValue = 0;
  double DoubleValue = 0;
  int Year = 0, Month = 0, Day = 0;

  static TValue Str(std::string s) {
    TValue v;
    v.Kind = Text;
    v.TextValue = std::move(s);
    return v;
  }
  static TValue Int(std::int64_t i) {
    TValue v;
    v.Kind = Integer;
    v.IntValue = i;
    return v;
  }
  static TValue DateOf(int y, int m, int d) {
    TValue v;
    v.Kind = Date;
    v.Year = y;
    v.Month = m;
    v.Day = d;
    return v;
  }
  static TValue Bool(bool b) {
    TValue v;
    v.Kind = Logical;
    v.IntValue = b;
    return v;
  }
  static TValue Real(double d) {
    TValue v;
    v.Kind = Double;
    v.DoubleValue = d;
    return v;
  }
};

struct TTableSpec {
  std::vector<TField> Fields;
  std::vector<std::vector<TValue>> Records;
  bool WithIndex = false;
  std::uint32_t IndexPages = 4;
  std::uint16_t IndexPageSize = 512;
  std::uint16_t MemoBlockSize = 256;
};

struct TTableFiles {
  std::string Adt;
  std::string Adm;  // empty when the table has no memo fields
  std::string Adi;  // empty without index
  bool HasAdm = false;
  bool HasAdi = false;
};

TTableFiles Build(const TTableSpec& spec);

// A customer table like the office application's: NR Integer, NAME Char 40,
// ORT Char 30, SEIT Date, NOTIZ Memo (every third record has a note), with index.
TTableSpec CustomerTable(int records);
// An order table whose every record differs in every field, as real office
// tables do (benchmarks: near-identical records compress several times
// faster than real data): NR Integer, KUNDE Char 40, STRASSE Char 40,
// PLZ Char 5, ORT Char 30, DATUM Date, BETRAG Double, MENGE Integer,
// NOTIZ Memo (every third record), with an index. seed picks the data.
TTableSpec OfficeTable(int records, std::uint32_t seed);
// An article table without memo: NR AutoInc, BEZ CIChar 60, PREIS Money,
// MENGE Double, AKTIV Logical.
TTableSpec ArticleTable(int records, bool withIndex);

// The damages the engine must recognise, with the code it must answer
// (0: the table still opens).
enum class TDamage {
  EmptyTable,
  BadSignature,
  TruncatedHeader,
  CutMidRecord,
  WrongVersion,
  DataOffsetWrong,
  RecordLengthChanged,
  FieldBeyondRecord,
  OverlappingFields,
  UnknownFieldType,
  MissingMemo,
  EmptyMemo,
  GarbageIndex,
  IndexNotWholePages,
  EmptyIndex,
  CountTooHigh,
  CountTooLow,
  ExtraRecords,
  UnknownFlag,
  GarbageDeletedByte,
  MemoGarbageHeader,
  MemoReferenceBeyondFile,
  IndexMissing,
};
std::uint32_t ExpectedCode(TDamage damage);
const char* DamageName(TDamage damage);
std::vector<TDamage> AllDamages();
// Applies the damage to a table (which must have a memo field and an index
// for the damages that concern those files).
void ApplyDamage(TTableFiles& files, TDamage damage);

}  // namespace qv::adtgen
