#pragma once
// An INI file kept in memory as its ordered lines. Everything the store does
// not need to understand (comments, blank lines, lines never looked at) is
// written back where and as it stood; lines are examined lazily, sections
// are found through a 256-bucket table, and very large sections get key
// indexes. Names and values are UTF-8 at the interface, ANSI in the file.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

// Where the store's file comes from and goes to.
class IIniStorage {
 public:
  virtual ~IIniStorage() = default;
  virtual bool Exists(const std::string& path) = 0;
  virtual std::string Load(const std::string& path) = 0;  // ANSI bytes
  virtual void Save(const std::string& path, const std::string& bytes) = 0;
};

enum class TIniLineKind : std::uint8_t {
  Key = 0,
  Other = 1,
  Unexamined = 2,
  Section = 3,
  Comment = 4,
  Blank = 5
};

struct TIniLine {
  TIniLineKind Kind = TIniLineKind::Unexamined;
  std::uint32_t Hash = 0;
  std::string Text;   // key name, or the line's text
  std::string Value;  // key lines only
};

struct TIniStatistics {
  int Blank = 0;
  int Comment = 0;
  int Section = 0;
  int Other = 0;  // not yet examined
};

// The lines and their sections (bytes in the file's code page).
class TIniItems {
 public:
  struct TSection {
    std::string Name;
    std::size_t FirstLine = 0;  // the line after the header
    // Indexed mode: per bucket, the section's key lines in file order.
    std::unique_ptr<std::array<std::vector<TIniLine*>, 256>> Keys;
  };

  bool CaseSensitive = false;
  bool LocaleUpperCase = true;

  void Load(const std::string& bytes);
  std::string Text() const;
  std::uint32_t Hash(const std::string& name) const;
  bool SameName(const std::string& a, const std::string& b) const;

  TSection* FindSection(const std::string& name);
  TSection& AddSection(const std::string& name);
  TIniLine* FindKey(TSection& section, const std::string& name);
  TIniLine& AddKey(TSection& section, const std::string& name);

  bool Indexed() const { return indexed_; }
  const TIniStatistics& Statistics() const { return statistics_; }
  std::size_t LineCount() const { return lines_.size(); }
  const TIniLine& Line(std::size_t i) const { return *lines_[i]; }

 private:
  void Examine(TIniLine& line) const;
  std::size_t SectionEnd(const TSection& section) const;
  void BuildKeyIndex(TSection& section);
  void Append(std::unique_ptr<TIniLine> line);
  void Grow();
  TSection& Register(const std::string& name, std::size_t firstLine);

  std::vector<std::unique_ptr<TIniLine>> lines_;
  std::array<std::vector<std::unique_ptr<TSection>>, 256> buckets_;  // newest first
  TSection* lastSection_ = nullptr;
  TIniStatistics statistics_;
  bool indexed_ = false;
};

class TFastIniFile {
 public:
  TFastIniFile(std::string fileName, std::shared_ptr<IIniStorage> storage);
  // Writes a modified store; a failure here is swallowed (use Release()).
  ~TFastIniFile();
  TFastIniFile(const TFastIniFile&) = delete;
  TFastIniFile& operator=(const TFastIniFile&) = delete;

  bool CaseSensitive = false;
  bool LocaleUpperCase = true;
  bool StripInlineComments = true;
  bool StripQuotes = false;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue);
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  std::int32_t ReadInteger(const std::string& section, const std::string& key,
                           std::int32_t defaultValue);
  void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
  // Writes the file now if it is modified.
  void UpdateFile();
  // Writes if modified (raising on failure), then discards the content.
  void Release();

  const std::string& FileName() const { return fileName_; }
  bool Modified() const { return modified_; }
  const TIniItems& Items() const { return items_; }

 private:
  void EnsureLoaded();

  std::string fileName_;
  std::shared_ptr<IIniStorage> storage_;
  TIniItems items_;
  bool loaded_ = false;
  bool modified_ = false;
};

// Position (0-based) of the first ";" outside double quotes, or npos.
std::size_t InlineCommentAt(const std::string& value);
// The integer text rules of the store: "0x" hexadecimal, else decimal.
bool ParseIniInteger(const std::string& text, std::int32_t& value);

}  // namespace qv
