#include <gtest/gtest.h>

#include "util/WinText.h"

namespace qv {
namespace {

TEST(WinText, NamesRoundTripAsUtf8) {
  for (const std::wstring& name : {std::wstring(L"Grüße Łukasz 数据-Ω.ADT"),
                                   std::wstring(L"Ablage \xD83D\xDE00.txt"), std::wstring()}) {
    std::string utf8 = Narrow(name);
    EXPECT_EQ(Widen(utf8), name);
    EXPECT_EQ(ToCodePage(utf8, CP_UTF8), utf8);
  }
  EXPECT_EQ(Narrow(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Narrow(L"Gr\xFC\xDF"
                   L"e"),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
}

TEST(WinText, HalfASurrogatePairSurvivesTheRoundTrip) {
  // NTFS allows such names; converted to U+FFFD the file would not be found again.
  const std::wstring names[] = {std::wstring(L"a\xD800"
                                             L"b"),
                                std::wstring(L"\xDC00"
                                             L"x"),
                                std::wstring(L"x\xDBFF"), std::wstring(L"\xDE00\xD83D"),
                                std::wstring(L"\xD83D\xDE00\xD800")};
  for (const std::wstring& name : names) EXPECT_EQ(Widen(Narrow(name)), name);
  EXPECT_EQ(Narrow(L"a\xD800"
                   L"b"),
            "a\xED\xA0\x80"
            "b");
  EXPECT_EQ(Narrow(L"\xD83D\xDE00\xD800"), "\xF0\x9F\x98\x80\xED\xA0\x80");
  // Readers of the texts get valid UTF-8 when they ask for it.
  EXPECT_EQ(ToCodePage(Narrow(L"a\xD800"
                              L"b"),
                       CP_UTF8),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(WinText, HalfASurrogatePairInAProtocolLineIsAReplacementCharacter) {
  EXPECT_EQ(AnsiSafeHtml(Narrow(L"a\xD800"
                                L"b")),
            "a&#65533;b");
  EXPECT_EQ(AnsiSafeHtml(Narrow(L"\xDC00"
                                L"b\xD83D\xDE00")),
            "&#65533;b&#128512;");
}

TEST(WinText, BytesThatAreNoUtf8StillBecomeReplacementCharacters) {
  EXPECT_EQ(Widen("a\xFF"
                  "b"),
            L"a\xFFFD"
            L"b");
  EXPECT_EQ(Widen("\xED\x9F\xBF"), L"\xD7FF");
  // A cut-off sequence is no half pair.
  std::wstring cut = Widen("x\xED\xA0");
  ASSERT_FALSE(cut.empty());
  EXPECT_EQ(cut[0], L'x');
  for (wchar_t unit : cut) EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF);
}

}  // namespace
}  // namespace qv
