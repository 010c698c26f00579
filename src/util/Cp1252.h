#pragma once
// The Western European ANSI code page (Windows-1252) as the program's file
// formats and case rules know it, portable so that the pure core can use it.
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

char32_t Cp1252ToUnicode(std::uint8_t byte);
// The byte for a code point, or -1 when the code page lacks it.
int UnicodeToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters the code page lacks become '?'; *lossy tells whether any did.
std::string Utf8ToCp1252(std::string_view utf8, bool* lossy = nullptr);

// Windows-1252 upper-case folding: a-z, 0xE0..0xFE except 0xF7, and
// 0x9A, 0x9C, 0x9E, 0xFF onto 0x8A, 0x8C, 0x8E, 0x9F; nothing else folds.
std::uint8_t AnsiUpper(std::uint8_t byte);
// The same folding for a code point (characters outside 1252 stay).
char32_t FoldUpper1252(char32_t codePoint);

// Decodes one UTF-8 sequence at text[pos], advancing pos; invalid bytes read
// as U+FFFD, one byte each.
char32_t DecodeUtf8(std::string_view text, size_t& pos);
void AppendUtf8(std::string& out, char32_t codePoint);
// Half a UTF-16 surrogate pair, as a file name may carry it in memory: the
// three bytes ED A0..BF 80..BF of its code point, at text[i].
bool IsHalfSurrogateAt(std::string_view text, size_t i);
// Strict UTF-8 for readers of a file format: such a half pair becomes U+FFFD.
std::string WithoutHalfSurrogates(std::string text);

// UTF-8 to a single-byte code page through byteFor (-1: the code page lacks
// the character, written as '?'; *lossy tells whether any was).
std::string EncodeSingleByte(std::string_view utf8, int (*byteFor)(char32_t), bool* lossy);

// Case-insensitive equality of two UTF-8 texts under the 1252 folding.
bool SameText1252(std::string_view a, std::string_view b);

}  // namespace qv
