#include <gtest/gtest.h>

#include "ui/HtmlText.h"

namespace qv::ui {
namespace {

std::vector<THtmlRun> Runs(const THtmlDoc& doc) {
  std::vector<THtmlRun> runs;
  for (const auto& item : doc)
    if (item.Kind == THtmlItemKind::Text) runs.push_back(item.Run);
  return runs;
}

TEST(HtmlText, ProtocolErrorLineIsBoldRedAfterTheTime) {
  auto doc = ParseHtml("</b>08.12.2026 10:00:00<b>: <FONT color=\"#FF0000\">Tabelle defekt</FONT>");
  auto runs = Runs(doc);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].Text, "08.12.2026 10:00:00");
  EXPECT_FALSE(runs[0].Bold);
  EXPECT_EQ(runs[1].Text, ": ");
  EXPECT_TRUE(runs[1].Bold);
  EXPECT_FALSE(runs[1].HasColor);
  EXPECT_EQ(runs[2].Text, "Tabelle defekt");
  EXPECT_TRUE(runs[2].Bold);
  EXPECT_TRUE(runs[2].HasColor);
  EXPECT_EQ(runs[2].Color, 0xFF0000u);
}

TEST(HtmlText, LinksCarryTheirTargetAndEndWithTheirTag) {
  auto runs = Runs(ParseHtml("Ordner <a href=\"file://C:\\Daten\\\">C:\\Daten\\</a> fertig"));
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].Text, "C:\\Daten\\");
  EXPECT_EQ(runs[1].Href, "file://C:\\Daten\\");
  EXPECT_EQ(runs[0].Href, "");
  EXPECT_EQ(runs[2].Href, "");
  EXPECT_EQ(runs[2].Text, " fertig");
}

TEST(HtmlText, BreaksInEveryFormAndRules) {
  for (const char* html : {"a<br>b", "a<BR>b", "a<Br/>b", "a<br />b", "a<hr>b", "a<HR/>b"}) {
    auto doc = ParseHtml(html);
    ASSERT_EQ(doc.size(), 3u) << html;
    EXPECT_NE(doc[1].Kind, THtmlItemKind::Text) << html;
    EXPECT_EQ(HtmlPlainText(doc), "a\nb") << html;
  }
  EXPECT_EQ(ParseHtml("a<hr>b")[1].Kind, THtmlItemKind::Rule);
}

TEST(HtmlText, EntitiesNamedAndNumeric) {
  EXPECT_EQ(HtmlPlainText(ParseHtml("&amp;&lt;&gt;&quot;")), "&<>\"");
  EXPECT_EQ(HtmlPlainText(ParseHtml("a&nbsp;&nbsp;b")),
            "a\xC2\xA0\xC2\xA0"
            "b");
  EXPECT_EQ(HtmlPlainText(ParseHtml("&#65;&#x42;&#252;&#x20AC;")), "AB\xC3\xBC\xE2\x82\xAC");
  EXPECT_EQ(HtmlPlainText(ParseHtml("&AMP;")), "&");
}

TEST(HtmlText, MalformedEntitiesShowAsText) {
  for (const char* text :
       {"a & b", "&unknown;", "&#0;", "&#xD800;", "&#99999999;", "&amp", "&#;", "&#x;"})
    EXPECT_EQ(HtmlPlainText(ParseHtml(text)), text);
}

TEST(HtmlText, UnknownTagsVanishStrayBracketsShow) {
  EXPECT_EQ(HtmlPlainText(ParseHtml("<p><i>kursiv</i></p><!-- x --><!DOCTYPE html>")), "kursiv");
  EXPECT_EQ(HtmlPlainText(ParseHtml("1 < 2 und 3 > 2")), "1 < 2 und 3 > 2");
  EXPECT_EQ(HtmlPlainText(ParseHtml("offen <b")), "offen <b");
  EXPECT_EQ(HtmlPlainText(ParseHtml("a<>b</ >c")), "a<>b</ >c");
  EXPECT_EQ(HtmlPlainText(ParseHtml("x<!-- ohne Ende")), "x");
}

TEST(HtmlText, WhiteSpaceCollapsesAcrossTags) {
  EXPECT_EQ(HtmlPlainText(ParseHtml("  a \r\n\t b <b> c</b>")), "a b c");
  EXPECT_EQ(HtmlPlainText(ParseHtml("a<br>   b")), "a\nb");
}

TEST(HtmlText, NestingErrorsNeverUnderflow) {
  auto runs = Runs(ParseHtml("</b></b></font></a>x<b>y</b></b>z"));
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_FALSE(runs[0].Bold);
  EXPECT_TRUE(runs[1].Bold);
  EXPECT_FALSE(runs[2].Bold);
}

TEST(HtmlText, FontColoursNestAndNamesWork) {
  auto runs = Runs(ParseHtml(
      "<font color=red>r<font color='#00ff00'>g</font>r</font>n<font color=Navy>b</font>"));
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[0].Color, 0xFF0000u);
  EXPECT_EQ(runs[1].Color, 0x00FF00u);
  EXPECT_EQ(runs[2].Color, 0xFF0000u);
  EXPECT_FALSE(runs[3].HasColor);
  EXPECT_EQ(runs[4].Color, 0x000080u);
}

TEST(HtmlText, ColourTexts) {
  std::uint32_t c = 1;
  EXPECT_TRUE(ParseHtmlColor("#9DBFE1", c));
  EXPECT_EQ(c, 0x9DBFE1u);
  EXPECT_TRUE(ParseHtmlColor("ff0000", c));
  EXPECT_EQ(c, 0xFF0000u);
  EXPECT_TRUE(ParseHtmlColor("WHITE", c));
  EXPECT_EQ(c, 0xFFFFFFu);
  for (const char* bad : {"", "#", "#12345", "#1234567", "#GG0000", "rot"})
    EXPECT_FALSE(ParseHtmlColor(bad, c)) << bad;
}

}  // namespace
}  // namespace qv::ui
