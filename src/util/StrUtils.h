#pragma once
// Portable text and path helpers (UTF-8 in memory, Windows path rules).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

using TStringList = std::vector<std::string>;

// Empty stays empty; a path ending in ":" or "\" stays; a single letter
// becomes "X:\"; everything else gets "\".
std::string WithTrailingBackslash(std::string_view path);
std::string WithoutTrailingBackslash(std::string_view path);

// A path that names its drive ("X:\...") or server ("\\server\..."): it does
// not depend on the current folder.
bool IsFullPath(std::string_view path);
// Everything up to and including the last "\" or ":" (empty when none).
std::string ExtractFilePath(std::string_view path);
// Everything behind the last "\" or ":".
std::string ExtractFileName(std::string_view path);
// From the last "." of the file name on ("" when the name has no dot).
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view extension);

// Lower case of the ASCII letters and, under Windows-1252, the accented ones.
std::string LowerCase1252(std::string_view text);

// Drops control characters 1..31, blanks when asked, the nine characters
// \ ? | > < : / * " and trims blanks at both ends.
std::string CleanFileName(std::string_view text, bool dropBlanks);

// Replaces every occurrence of pattern, letter case ignored (Windows-1252).
std::string ReplaceTextAll(std::string_view text, std::string_view pattern,
                           std::string_view replacement);

// The PJW hash of the ELF object format over the bytes of text (below 2^28).
std::uint32_t ElfHash(std::string_view bytes);

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" of a GUID's 16 bytes (Windows order).
std::string GuidText(const std::array<std::uint8_t, 16>& guid);

// Lines end at CR LF, CR or LF; a final line end adds no empty line.
TStringList SplitLines(std::string_view text);
// Every line followed by CR LF.
std::string JoinLines(const TStringList& lines);

std::string TrimBlanks(std::string_view text);
// A blank, a tab or another control character (1 to 32).
bool IsBlankOrControl(char c);
// Without leading and trailing such characters.
std::string Trim(std::string_view text);
// Compared byte for byte, case included.
inline bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// "text" with every inner double quote doubled.
std::string QuotedString(std::string_view text);
// The text between a leading double quote and its closing one, doubled
// quotes read as one (the rest of the text when the closing quote is missing).
std::string ExtractQuotedString(std::string_view text);

}  // namespace qv
