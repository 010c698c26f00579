#include <gtest/gtest.h>

#include "FixedMeasurer.h"
#include "ui/HtmlLayout.h"

namespace qv::ui {
namespace {

using test::TFixedMeasurer;
constexpr int N = TFixedMeasurer::kNormal;
constexpr int B = TFixedMeasurer::kBold;
constexpr int L = TFixedMeasurer::kLine;

THtmlLayout Layout(const std::string& html, int width, bool ellipsis = false) {
  TFixedMeasurer m;
  TLayoutOptions options;
  options.MaxWidth = width;
  options.Ellipsis = ellipsis;
  return LayoutHtml(ParseHtml(html), m, options);
}

// The text of each line, lines told apart by their top.
std::vector<std::string> Lines(const THtmlLayout& layout) {
  std::vector<std::string> lines;
  for (const auto& run : layout.Runs) {
    std::size_t index = static_cast<std::size_t>(run.Y / layout.LineHeight);
    if (lines.size() <= index) lines.resize(index + 1);
    lines[index] += run.Run.Text;
  }
  return lines;
}

TEST(HtmlLayout, WrapsAtBlanksWithinTheWidth) {
  auto layout = Layout("eins zwei drei vier", 10 * N);
  EXPECT_EQ(Lines(layout), (std::vector<std::string>{"eins zwei", "drei vier"}));
  EXPECT_EQ(layout.Height, 2 * L);
  EXPECT_EQ(layout.Width, 9 * N);
}

TEST(HtmlLayout, WithoutWidthOneLinePerBreak) {
  auto layout = Layout("eins zwei<br>drei", 0);
  EXPECT_EQ(Lines(layout), (std::vector<std::string>{"eins zwei", "drei"}));
}

TEST(HtmlLayout, BreaksMakeEmptyLinesButAFinalOneAddsNone) {
  EXPECT_EQ(Layout("a<br><br>b", 100).Height, 3 * L);
  EXPECT_EQ(Layout("a<br>", 100).Height, L);
  EXPECT_EQ(Layout("", 100).Height, 0);
  EXPECT_EQ(Layout("<br>", 100).Height, L);
}

TEST(HtmlLayout, BoldRunsAreMeasuredBold) {
  auto layout = Layout("Quorvel:<b> Fehler!</b>", 0);
  ASSERT_EQ(layout.Runs.size(), 2u);
  EXPECT_EQ(layout.Runs[0].Width, 8 * N);
  EXPECT_EQ(layout.Runs[1].X, 8 * N);
  EXPECT_EQ(layout.Width, 8 * N + 8 * B);
}

TEST(HtmlLayout, AWordWiderThanTheLineIsSplitByCharacters) {
  auto layout = Layout("ab \xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC", 3 * N);
  EXPECT_EQ(Lines(layout),
            (std::vector<std::string>{"ab", "\xC3\xBC\xC3\xBC\xC3\xBC", "\xC3\xBC\xC3\xBC"}));
  EXPECT_LE(layout.Width, 3 * N);
}

TEST(HtmlLayout, EllipsisCutsEachLineInsteadOfWrapping) {
  auto layout = Layout("abcdefghij<br>kurz", 6 * N, true);
  auto lines = Lines(layout);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "abcde\xE2\x80\xA6");
  EXPECT_EQ(lines[1], "kurz");
  EXPECT_TRUE(layout.Ellipsized);
  EXPECT_LE(layout.Width, 6 * N);
  EXPECT_FALSE(Layout("kurz", 6 * N, true).Ellipsized);
}

TEST(HtmlLayout, RulesTakeHalfALine) {
  auto layout = Layout("a<hr>b", 100);
  ASSERT_EQ(layout.RuleYs.size(), 1u);
  EXPECT_GT(layout.RuleYs[0], L);
  EXPECT_LT(layout.RuleYs[0], L + L / 2 + 1);
  EXPECT_EQ(layout.Height, 2 * L + L / 2);
}

TEST(HtmlLayout, LinkHitTestFollowsThePlacedText) {
  auto layout = Layout("Siehe <a href=\"file://C:\\x\">C:\\x</a> oben", 0);
  EXPECT_EQ(layout.LinkAt(6 * N, 1), "file://C:\\x");
  EXPECT_EQ(layout.LinkAt(6 * N + 4 * N - 1, L - 1), "file://C:\\x");
  EXPECT_EQ(layout.LinkAt(6 * N - 1, 1), "");
  EXPECT_EQ(layout.LinkAt(6 * N + 4 * N, 1), "");
  EXPECT_EQ(layout.LinkAt(6 * N, L), "");
}

TEST(HtmlLayout, WrappedLinkIsHitOnBothLines) {
  auto layout = Layout("<a href=\"x\">eins zwei</a>", 5 * N);
  EXPECT_EQ(layout.LinkAt(1, 1), "x");
  EXPECT_EQ(layout.LinkAt(1, L + 1), "x");
}

}  // namespace
}  // namespace qv::ui
