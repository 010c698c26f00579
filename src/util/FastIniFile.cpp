#include "util/FastIniFile.h"

#include <algorithm>
#include <stdexcept>

#include "util/AnsiText.h"
#include "util/Cp1252.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

constexpr std::size_t kIndexedLinesPerSection = 250;
constexpr std::size_t kMaxCommentLength = 255;

std::string TrimLeft(const std::string& text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlankOrControl(text[begin])) ++begin;
  return text.substr(begin);
}

// How a line of the file reads: the kind it gets when the file is loaded.
TIniLineKind KindOnLoad(const std::string& t) {
  if (t.empty()) return TIniLineKind::Blank;
  if (t[0] == ';') return TIniLineKind::Comment;
  if (t[0] == '[' && t.back() == ']' && t.size() >= 2) return TIniLineKind::Section;
  return TIniLineKind::Unexamined;
}

std::uint8_t AsciiUpper(std::uint8_t b) {
  return b >= 'a' && b <= 'z' ? static_cast<std::uint8_t>(b - 32) : b;
}

}  // namespace

std::size_t InlineCommentAt(const std::string& value) {
  bool quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '"')
      quoted = !quoted;
    else if (value[i] == ';' && !quoted)
      return i;
  }
  return std::string::npos;
}

bool ParseIniInteger(const std::string& text, std::int32_t& value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::uint64_t v = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      char c = text[i];
      int d = c >= '0' && c <= '9'   ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
      if (d < 0 || (v = v * 16 + static_cast<std::uint64_t>(d)) > 0xFFFFFFFFull) return false;
    }
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return true;
  }
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

// --- TIniItems ------------------------------------------------------------------

std::uint32_t TIniItems::Hash(const std::string& name) const {
  std::uint32_t h = 0;
  for (char c : name) {
    auto b = static_cast<std::uint8_t>(c);
    std::uint8_t u = CaseSensitive ? b : LocaleUpperCase ? AnsiUpper(b) : AsciiUpper(b);
    h = ((h << 2) | (h >> 30)) ^ u;
  }
  return h;
}

bool TIniItems::SameName(const std::string& a, const std::string& b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<std::uint8_t>(a[i]), y = static_cast<std::uint8_t>(b[i]);
    if (CaseSensitive     ? x != y
        : LocaleUpperCase ? AnsiUpper(x) != AnsiUpper(y)
                          : AsciiUpper(x) != AsciiUpper(y))
      return false;
  }
  return true;
}

void TIniItems::Grow() {
  std::size_t capacity = lines_.capacity();
  if (lines_.size() < capacity) return;
  std::size_t delta = capacity <= 256 ? 128 : capacity <= 1024 ? 512 : capacity / 4;
  lines_.reserve(capacity + delta);
}

void TIniItems::Append(std::unique_ptr<TIniLine> line) {
  Grow();
  lines_.push_back(std::move(line));
}

TIniItems::TSection& TIniItems::Register(const std::string& name, std::size_t firstLine) {
  auto& chain = buckets_[Hash(name) & 0xFF];
  auto section = std::make_unique<TSection>();
  section->Name = name;
  section->FirstLine = firstLine;
  chain.insert(chain.begin(), std::move(section));  // a later duplicate is found first
  return *chain.front();
}

void TIniItems::Load(const std::string& bytes) {
  std::string text = bytes.substr(0, bytes.find('\0'));  // a NUL ends the text
  lines_.clear();
  lines_.reserve(text.size() / 16);
  std::size_t start = 0;
  auto addLine = [&](std::string content) {
    auto line = std::make_unique<TIniLine>();
    line->Text = std::move(content);
    const std::string& t = line->Text;
    line->Kind = KindOnLoad(t);
    if (line->Kind == TIniLineKind::Blank) {
      ++statistics_.Blank;
    } else if (line->Kind == TIniLineKind::Comment) {
      ++statistics_.Comment;
    } else if (line->Kind == TIniLineKind::Section) {
      ++statistics_.Section;
      Register(t.substr(1, t.size() - 2), lines_.size() + 1);
    } else {
      ++statistics_.Other;
    }
    Append(std::move(line));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    addLine(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) addLine(text.substr(start));
  lines_.shrink_to_fit();
  indexed_ =
      statistics_.Section > 0 &&
      static_cast<std::size_t>(statistics_.Other / statistics_.Section) >= kIndexedLinesPerSection;
}

std::string TIniItems::Text() const {
  std::string out;
  for (const auto& line : lines_) {
    switch (line->Kind) {
      case TIniLineKind::Key:
      case TIniLineKind::Other: {
        std::string text =
            line->Kind == TIniLineKind::Key ? line->Text + "=" + line->Value : line->Text;
        // A key or other line that lost its leading blanks must not come back
        // as a section header or a comment: "\x02[Other]" written as
        // "[Other]" would take the keys after it into a section of its own.
        // One blank, which names and texts lose again, keeps its kind.
        TIniLineKind read = KindOnLoad(text);
        if (read == TIniLineKind::Section || read == TIniLineKind::Comment) out += ' ';
        out += text;
        break;
      }
      case TIniLineKind::Blank:
        break;
      default:
        out += line->Text;
        break;
    }
    out += "\r\n";
  }
  return out;
}

void TIniItems::Examine(TIniLine& line) const {
  std::size_t equals = line.Text.find('=');
  if (equals == std::string::npos) {
    line.Kind = TIniLineKind::Other;
    line.Text = TrimLeft(line.Text);
    return;
  }
  line.Kind = TIniLineKind::Key;
  line.Value = Trim(line.Text.substr(equals + 1));
  line.Text = Trim(line.Text.substr(0, equals));
  line.Hash = Hash(line.Text);
}

TIniItems::TSection* TIniItems::FindSection(const std::string& name) {
  if (lastSection_ && SameName(lastSection_->Name, name)) return lastSection_;
  for (auto& section : buckets_[Hash(name) & 0xFF])
    if (SameName(section->Name, name)) return lastSection_ = section.get();
  return nullptr;
}

std::size_t TIniItems::SectionEnd(const TSection& section) const {
  std::size_t i = section.FirstLine;
  while (i < lines_.size() && lines_[i]->Kind != TIniLineKind::Section) ++i;
  return i;
}

void TIniItems::BuildKeyIndex(TSection& section) {
  section.Keys = std::make_unique<std::array<std::vector<TIniLine*>, 256>>();
  for (std::size_t i = section.FirstLine, end = SectionEnd(section); i < end; ++i) {
    TIniLine& line = *lines_[i];
    if (line.Kind == TIniLineKind::Unexamined) Examine(line);
    if (line.Kind == TIniLineKind::Key) (*section.Keys)[line.Hash & 0xFF].push_back(&line);
  }
}

TIniLine* TIniItems::FindKey(TSection& section, const std::string& name) {
  std::uint32_t hash = Hash(name);
  if (indexed_) {
    if (!section.Keys) BuildKeyIndex(section);
    auto& bucket = (*section.Keys)[hash & 0xFF];
    for (auto it = bucket.rbegin(); it != bucket.rend(); ++it)  // the last duplicate wins
      if (SameName((*it)->Text, name)) return *it;
    return nullptr;
  }
  for (std::size_t i = section.FirstLine; i < lines_.size(); ++i) {
    TIniLine& line = *lines_[i];
    if (line.Kind == TIniLineKind::Section) break;
    if (line.Kind == TIniLineKind::Unexamined) Examine(line);
    if (line.Kind == TIniLineKind::Key && line.Hash == hash && SameName(line.Text, name))
      return &line;
  }
  return nullptr;
}

TIniItems::TSection& TIniItems::AddSection(const std::string& name) {
  if (!lines_.empty() && lines_.back()->Kind != TIniLineKind::Blank) {
    auto blank = std::make_unique<TIniLine>();
    blank->Kind = TIniLineKind::Blank;
    Append(std::move(blank));
  }
  auto header = std::make_unique<TIniLine>();
  header->Kind = TIniLineKind::Section;
  header->Text = "[" + name + "]";
  Append(std::move(header));
  TSection& section = Register(name, lines_.size());
  if (indexed_) section.Keys = std::make_unique<std::array<std::vector<TIniLine*>, 256>>();
  return *(lastSection_ = &section);
}

TIniLine& TIniItems::AddKey(TSection& section, const std::string& name) {
  // After the section's last key or other line, before the blank and comment
  // lines that end it; right after the header when it has none.
  std::size_t at = section.FirstLine;
  for (std::size_t i = section.FirstLine, end = SectionEnd(section); i < end; ++i) {
    TIniLineKind kind = lines_[i]->Kind;
    if (kind == TIniLineKind::Key || kind == TIniLineKind::Other ||
        kind == TIniLineKind::Unexamined)
      at = i + 1;
  }
  auto line = std::make_unique<TIniLine>();
  line->Kind = TIniLineKind::Key;
  line->Text = Trim(name);
  line->Hash = Hash(line->Text);
  TIniLine* added = line.get();
  Grow();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  // The sections that follow move down by one line.
  for (auto& chain : buckets_)
    for (auto& other : chain)
      if (other->FirstLine > at) ++other->FirstLine;
  if (section.Keys) (*section.Keys)[added->Hash & 0xFF].push_back(added);
  return *added;
}

// --- TFastIniFile -----------------------------------------------------------------

TFastIniFile::TFastIniFile(std::string fileName, std::shared_ptr<IIniStorage> storage)
    : fileName_(std::move(fileName)), storage_(std::move(storage)) {}

TFastIniFile::~TFastIniFile() {
  try {
    UpdateFile();
  } catch (...) {
  }
}

void TFastIniFile::EnsureLoaded() {
  if (loaded_) return;
  items_.CaseSensitive = CaseSensitive;
  items_.LocaleUpperCase = LocaleUpperCase;
  if (!fileName_.empty() && storage_->Exists(fileName_)) items_.Load(storage_->Load(fileName_));
  loaded_ = true;
}

std::string TFastIniFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) {
  EnsureLoaded();
  TIniItems::TSection* s = items_.FindSection(Utf8ToAnsi(section));
  TIniLine* line = s ? items_.FindKey(*s, Utf8ToAnsi(key)) : nullptr;
  if (!line) return defaultValue;
  std::string value = line->Value;
  if (StripInlineComments) {
    std::size_t at = InlineCommentAt(value);
    if (at != std::string::npos) value = Trim(value.substr(0, at));
  }
  if (StripQuotes && value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
      value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return AnsiToUtf8(value);
}

namespace {

// The file is ANSI: a character it cannot hold would be read back as "?",
// and a folder named with it would be a different, missing folder. Such a
// write is refused, so that the caller can tell the user it was not saved.
std::string ExactAnsi(const std::string& text) {
  bool lossy = false;
  std::string ansi = Utf8ToAnsi(text, &lossy);
  if (lossy)
    throw std::runtime_error("\"" + text +
                             "\" enthält Zeichen, die die Datei nicht speichern kann");
  return ansi;
}

}  // namespace

void TFastIniFile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
  EnsureLoaded();
  std::string sectionName = ExactAnsi(section), keyName = ExactAnsi(key),
              newValue = ExactAnsi(value);
  TIniItems::TSection* s = items_.FindSection(sectionName);
  if (!s) s = &items_.AddSection(sectionName);
  TIniLine* line = items_.FindKey(*s, keyName);
  if (!line) line = &items_.AddKey(*s, keyName);
  std::string current = line->Value;
  std::string comment;
  std::size_t at = StripInlineComments ? InlineCommentAt(current) : std::string::npos;
  if (at != std::string::npos) {
    comment = current.substr(at, kMaxCommentLength);
    current = Trim(current.substr(0, at));
  }
  if (current == newValue) return;
  if (comment.empty()) {
    line->Value = newValue;
  } else if (newValue.size() >= at) {
    line->Value = newValue + " " + comment;
  } else {
    line->Value = newValue + std::string(at - newValue.size(), ' ') +
                  comment;  // the comment keeps its column
  }
  modified_ = true;
}

std::int32_t TFastIniFile::ReadInteger(const std::string& section, const std::string& key,
                                       std::int32_t defaultValue) {
  std::int32_t value = 0;
  return ParseIniInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

void TFastIniFile::WriteInteger(const std::string& section, const std::string& key,
                                std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TFastIniFile::UpdateFile() {
  if (!modified_) return;
  storage_->Save(fileName_, items_.Text());
  modified_ = false;
}

void TFastIniFile::Release() {
  struct TDiscard {
    TFastIniFile& ini;
    ~TDiscard() {
      ini.modified_ = false;
      ini.items_ = TIniItems();
      ini.loaded_ = false;
    }
  } discard{*this};
  UpdateFile();
}

}  // namespace qv
