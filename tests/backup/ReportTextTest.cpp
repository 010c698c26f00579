#include <gtest/gtest.h>

#include "backup/ReportText.h"
#include "util/DateTimeText.h"

namespace qv {
namespace {

TEST(ReportLines, LoggedFormsAreByteExact) {
  EXPECT_EQ(LoggedLine("Datenbank fertig.", false, "08.12.2026 14:05:09"),
            "</b>08.12.2026 14:05:09<b></b>: Datenbank fertig.");
  EXPECT_EQ(LoggedLine("Problem", true, "08.12.2026 14:05:09"),
            "</b>08.12.2026 14:05:09<b>: <FONT color=\"#FF0000\">Problem</FONT>");
  EXPECT_EQ(LoggedLine("<hr>", false, "08.12.2026 14:05:09"), "<hr>");
  EXPECT_EQ(ItemText("Problem", true), "<FONT color=\"#FF0000\">Problem</FONT>");
  EXPECT_EQ(ItemText("Prüfen", false), "Prüfen");
  EXPECT_EQ(FileLink("C:\\Ziel\\x\\"), "<a href=\"file://C:\\Ziel\\x\\\">C:\\Ziel\\x\\</a>");
  // The link leads to the folder; its text is the path as it is.
  EXPECT_EQ(FileLink("C:\\Daten #2 & Co\\"),
            "<a href=\"file://C:\\Daten %232 &amp; Co\\\">C:\\Daten #2 &amp; Co\\</a>");
}

TEST(ReportLines, DateTimeTextLeavesOutMidnight) {
  TLocalTime t;
  t.Year = 2026;
  t.Month = 3;
  t.Day = 7;
  t.Hour = 9;
  t.Minute = 5;
  EXPECT_EQ(DateTimeText(t, "09:05:00"), "07.03.2026 09:05:00");
  t.Hour = t.Minute = 0;
  EXPECT_EQ(DateTimeText(t, "00:00:00"), "07.03.2026");
  t.Millisecond = 1;
  EXPECT_EQ(DateTimeText(t, "00:00:00"), "07.03.2026 00:00:00");
}

TEST(CleanPathNames, ExamplesAndLimits) {
  EXPECT_EQ(CleanPathName("D:\\Firma\\Daten"), "D__Firma_Daten");
  EXPECT_EQ(CleanPathName("\\\\server\\daten\\Firma1"), "__server_daten_Firma1");
  EXPECT_EQ(CleanPathName("C:\\a?b|c>d<e/f*g\"h"), "C__a_b_c_d_e_f_g_h");
  EXPECT_EQ(CleanPathName("C:\\x\r\ny\tz"), "C__xyz");
  std::string longPath = "D:\\" + std::string(150, 'a');
  EXPECT_EQ(CleanPathName(longPath), "D__" + std::string(97, 'a'));
  std::string umlauts = "D:\\" + std::string(96, 'a') + "äöü";
  EXPECT_EQ(CleanPathName(umlauts), "D__" + std::string(96, 'a') + "ä");  // characters, not bytes
}

// The backup folder is named after the cut: a dot or blank at its end would
// give a folder that Windows Explorer cannot open.
TEST(CleanPathNames, CutNeverEndsInDotOrBlank) {
  std::string blankAtCut = "D:\\" + std::string(95, 'a') + "b . c";
  EXPECT_EQ(CleanPathName(blankAtCut), "D__" + std::string(95, 'a') + "b");
  std::string dotAtCut = "D:\\Firma\\" + std::string(89, 'x') + "..yz";
  EXPECT_EQ(CleanPathName(dotAtCut), "D__Firma_" + std::string(89, 'x'));
  EXPECT_EQ(CleanPathName("D:\\a.b c\\"), "D__a.b c_");
}

}  // namespace
}  // namespace qv
