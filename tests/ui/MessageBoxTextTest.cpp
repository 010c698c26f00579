#include <gtest/gtest.h>

#include "ui/MessageBoxText.h"

namespace qv::ui {
namespace {

std::string Numbered(int count, const std::string& separator) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "Zeile " + std::to_string(i) + separator;
  return text;
}

std::string NumberedJoined(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i)
    text += (i > from ? "<br>" : "") + ("Zeile " + std::to_string(i));
  return text;
}

TEST(MessageBoxText, StartUpTextIsTwoLinesWithAnEmptyLineBetween) {
  EXPECT_EQ(FormatBoxText("<b>Quorvel</b> ben\xC3\xB6tigt noch einige Angaben:<br><br>"
                          "<b>Zielverzeichnis f\xC3\xBCr Sicherungen fehlt.<br>"),
            "<b>Quorvel</b> ben\xC3\xB6tigt noch einige Angaben:<br><br>"
            "<b>Zielverzeichnis f\xC3\xBCr Sicherungen fehlt.");
}

TEST(MessageBoxText, LineBreaksAndBrInAnyCaseEndLines) {
  EXPECT_EQ(FormatBoxText("a<BR>b<Br>c<br>d\r\ne\nf\rg"), "a<br>b<br>c<br>d<br>e<br>f<br>g");
}

TEST(MessageBoxText, OtherFormsOfTheTagAreLeftAlone) {
  EXPECT_EQ(FormatBoxText("a<br/>b<br >c"), "a<br/>b<br >c");
}

TEST(MessageBoxText, LeadingEmptyLinesVanishInnerOnesStay) {
  EXPECT_EQ(FormatBoxText("<br><br>\r\na<br><br>b"), "a<br><br>b");
  EXPECT_EQ(FormatBoxText(""), "");
  EXPECT_EQ(FormatBoxText("<br><br>"), "");
}

TEST(MessageBoxText, ThirtyLinesShowOneToTwentyOneDotsAndTheLast) {
  EXPECT_EQ(FormatBoxText(Numbered(30, "\r\n")),
            NumberedJoined(1, 21) + "<br>................<br>Zeile 30");
}

TEST(MessageBoxText, TwentyTwoLinesShowTheDotsBeforeTheLast) {
  EXPECT_EQ(FormatBoxText(Numbered(22, "<br>")),
            NumberedJoined(1, 21) + "<br>................<br>Zeile 22");
}

TEST(MessageBoxText, TwentyOneLinesShowWhole) {
  EXPECT_EQ(FormatBoxText(Numbered(21, "<BR>")), NumberedJoined(1, 21));
}

TEST(MessageBoxText, LeadingEmptyLinesDoNotCountTowardsTheLimit) {
  EXPECT_EQ(FormatBoxText("<br><br>" + Numbered(21, "<br>")), NumberedJoined(1, 21));
}

}  // namespace
}  // namespace qv::ui
