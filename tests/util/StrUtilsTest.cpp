#include <gtest/gtest.h>

#include "util/Cp1252.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

TEST(PathNames, WithTrailingBackslash) {
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithTrailingBackslash("d"), "d:\\");
  EXPECT_EQ(WithTrailingBackslash("C"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash("C:"), "C:");
  EXPECT_EQ(WithTrailingBackslash("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\x"), "C:\\x\\");
  EXPECT_EQ(WithTrailingBackslash("\\\\server\\share"), "\\\\server\\share\\");
  EXPECT_EQ(WithTrailingBackslash("1"), "1\\");
}

TEST(PathNames, FullPathsDoNotDependOnTheCurrentFolder) {
  for (const char* full : {"C:\\", "c:\\Programme\\Kontorix", "Z:/tmp", "\\\\server\\share"})
    EXPECT_TRUE(IsFullPath(full)) << full;
  for (const char* relative :
       {"", "C:", "C:Kontorix", "Kontorix\\", ".\\", "\\Programme", "\\\\\\x", "1:\\x"})
    EXPECT_FALSE(IsFullPath(relative)) << relative;
}

TEST(PathNames, PartsOfAPath) {
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.adt"), "C:\\a\\");
  EXPECT_EQ(ExtractFilePath("C:b.adt"), "C:");
  EXPECT_EQ(ExtractFilePath("b.adt"), "");
  EXPECT_EQ(ExtractFileName("C:\\a\\KUNDEN.ADT"), "KUNDEN.ADT");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\KUNDEN.adt"), ".adt");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\KUNDEN"), "");
  EXPECT_EQ(ExtractFileExt(".adt"), ".adt");
  EXPECT_EQ(ChangeFileExt("C:\\x\\QUORVEL.LOG", ".htm"), "C:\\x\\QUORVEL.htm");
  EXPECT_EQ(ChangeFileExt("C:\\x.y\\datenbank", ".zip"), "C:\\x.y\\datenbank.zip");
}

TEST(PathNames, EndsWithComparesBytesCaseIncluded) {
  EXPECT_TRUE(EndsWith("2026-12-09 [1].zip", "].zip"));
  EXPECT_TRUE(EndsWith(".zip", ".zip"));
  EXPECT_TRUE(EndsWith("x", ""));
  EXPECT_FALSE(EndsWith("zip", ".zip"));
  EXPECT_FALSE(EndsWith("SET.ZIP", ".zip"));
}

TEST(CleaningNames, CleanFileName) {
  EXPECT_EQ(CleanFileName(" a:b*c ", false), "abc");
  EXPECT_EQ(CleanFileName(" a:b\t*c ", false), "abc");
  EXPECT_EQ(CleanFileName("a b\\c?d|e>f<g/h\"i", false), "a bcdefghi");
  EXPECT_EQ(CleanFileName(" a b ", true), "ab");
  EXPECT_EQ(CleanFileName("  ", false), "");
  EXPECT_EQ(CleanFileName("Müller", false), "Müller");
}

TEST(CleaningNames, ReplaceTextAllIgnoresCase) {
  EXPECT_EQ(ReplaceTextAll("", "x", ""), "");
  EXPECT_EQ(ReplaceTextAll("abc", "", "-"), "abc");
  EXPECT_EQ(ReplaceTextAll("ab", "abc", ""), "ab");
  EXPECT_EQ(ReplaceTextAll("a<HR>b<hr>c<Hr>", "<hr>", ""), "abc");
  EXPECT_EQ(ReplaceTextAll("x\r\ny\tz", "\r\n", ""), "xy\tz");
  EXPECT_EQ(ReplaceTextAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceTextAll("Straße ÄÖÜ äöü", "äöü", "-"), "Straße - -");
  EXPECT_EQ(ReplaceTextAll("D:\\Firma/Daten", "\\", ""), "D:Firma/Daten");
}

TEST(Hashes, ElfHashOfKnownTexts) {
  EXPECT_EQ(ElfHash(""), 0u);
  EXPECT_EQ(ElfHash("a"), 97u);
  EXPECT_EQ(ElfHash("abcdefghij"), 180004458u);
  EXPECT_EQ(ElfHash("C:\\Daten\\RandomAccess\\quorvel\\"), 153181452u);
  EXPECT_EQ(ElfHash("6F9619FF-8B86-D011-B42D-00C04FC964FF"), 232668006u);
  EXPECT_LT(ElfHash(std::string(1000, '\xFF')), 1u << 28);
}

TEST(Hashes, GuidTextIsUpperCaseWithoutBraces) {
  std::array<std::uint8_t, 16> guid = {0xFF, 0x19, 0x96, 0x6F, 0x86, 0x8B, 0x11, 0xD0,
                                       0xB4, 0x2D, 0x00, 0xC0, 0x4F, 0xC9, 0x64, 0xFF};
  EXPECT_EQ(GuidText(guid), "6F9619FF-8B86-D011-B42D-00C04FC964FF");
}

TEST(TextLines, SplitAtEveryKindOfLineEnd) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (TStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (TStringList{"a"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (TStringList{"a", ""}));
  EXPECT_EQ(SplitLines("\n\r"), (TStringList{"", ""}));
  EXPECT_EQ(SplitLines(""), TStringList{});
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(CodePage1252, RoundTripOfEveryDefinedByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  bool lossy = true;
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &lossy), all);
  EXPECT_FALSE(lossy);
  EXPECT_EQ(Cp1252ToUtf8("\xE4\x80"), "ä€");
  EXPECT_EQ(Utf8ToCp1252("Ω", &lossy), "?");
  EXPECT_TRUE(lossy);
}

TEST(Utf8, HalfSurrogatePairsBecomeReplacementCharacters) {
  EXPECT_EQ(WithoutHalfSurrogates("a\xED\xA0\x80"
                                  "b\xED\xBF\xBF"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  // Neighbours of the surrogate range and whole pairs stay as they are.
  for (const char* text : {"\xED\x9F\xBF", "\xEE\x80\x80", "\xF0\x9F\x98\x80", "x\xED\xA0", ""})
    EXPECT_EQ(WithoutHalfSurrogates(text), text);
}

TEST(CodePage1252, LowerCaseKeysAgreeWithTheComparison) {
  const char* texts[] = {"Müller", "MÜLLER", "müller", "Muller", "straße", "STRASSE",
                         "Œuvre",  "œuvre",  "Łódź",   "łódź",   "",       "a"};
  for (const char* a : texts)
    for (const char* b : texts)
      EXPECT_EQ(LowerCase1252(a) == LowerCase1252(b), SameText1252(a, b)) << a << " " << b;
}

TEST(CodePage1252, UpperCaseFolding) {
  EXPECT_EQ(AnsiUpper('a'), 'A');
  EXPECT_EQ(AnsiUpper(0xE4), 0xC4);
  EXPECT_EQ(AnsiUpper(0xF7), 0xF7);
  EXPECT_EQ(AnsiUpper(0xFF), 0x9F);
  EXPECT_EQ(AnsiUpper(0x9A), 0x8A);
  EXPECT_EQ(AnsiUpper(0xDF), 0xDF);  // ß has no capital here
  EXPECT_TRUE(SameText1252("D:\\Daten\\Müller", "d:\\DATEN\\MÜLLER"));
  EXPECT_FALSE(SameText1252("abc", "abd"));
  EXPECT_FALSE(SameText1252("abc", "ab"));
  EXPECT_EQ(LowerCase1252("KUNDEN.ADT Ä"), "kunden.adt ä");
}

}  // namespace
}  // namespace qv
