#include <gtest/gtest.h>

#include "ui/MessageBoxLayout.h"
#include "ui/Dpi.h"

namespace qv::ui {
namespace {

TEST(MessageBoxLayout, SmallScreenKeepsTheDesignedSizes) {
  TMessageBoxMetrics s = MakeMessageBoxMetrics(800, 96);
  EXPECT_EQ(s.MessageFontPx, 11);
  EXPECT_EQ(s.FormFontPx, 11);
  EXPECT_EQ(s.ClientWidth, 406);
  EXPECT_EQ(s.CloseAreaWidth, 89);
  EXPECT_EQ(s.CloseLeft, 7);
  EXPECT_EQ(s.CloseWidth, 77);
}

TEST(MessageBoxLayout, WideScreenGetsTheLargerSetUp) {
  TMessageBoxMetrics s = MakeMessageBoxMetrics(801, 96);
  EXPECT_EQ(s.MessageFontPx, 13);  // 10 point
  EXPECT_EQ(s.FormFontPx, 12);     // 9 point
  EXPECT_EQ(s.CloseAreaWidth, 98);
  EXPECT_EQ(s.CloseLeft, 2);
  EXPECT_EQ(s.CloseWidth, 94);
}

TEST(MessageBoxLayout, At144DpiEverySizeGrowsByHalf) {
  TMessageBoxMetrics s = MakeMessageBoxMetrics(1280, 144);
  EXPECT_EQ(s.ClientWidth, 609);
  EXPECT_EQ(s.MessageFontPx, 20);
  EXPECT_EQ(s.CloseAreaWidth, 147);
  EXPECT_EQ(s.CloseWidth, 141);
  TBoxGeometry g = LayoutBox(s, 100, std::nullopt, 0);
  EXPECT_EQ(g.ClientHeight, 100 + 3 + 53);
  EXPECT_EQ(g.ButtonBar.Height(), 53);
  EXPECT_EQ(g.Image.Width(), 36);
}

TEST(MessageBoxLayout, PanelSitsTwoPixelsBelowTheMessage) {
  TMessageBoxMetrics s = MakeMessageBoxMetrics(1280, 96);
  TBoxGeometry g = LayoutBox(s, 80, std::nullopt, 700);
  EXPECT_EQ(g.ClientHeight, 80 + 37);
  EXPECT_EQ(g.Message, (TRect{0, 0, 406, 80}));
  EXPECT_EQ(g.ButtonBar, (TRect{0, 82, 406, 117}));
  EXPECT_EQ(g.Image, (TRect{5, 87, 29, 111}));
  EXPECT_EQ(g.HelpButton, (TRect{93, 86, 187, 111}));
  EXPECT_EQ(g.CloseButton, (TRect{406 - 98 + 2, 86, 406 - 98 + 2 + 94, 111}));
  EXPECT_FALSE(g.HelpPanel.has_value());
}

TEST(MessageBoxLayout, UnfoldedHelpGoesBelowThePanel) {
  TMessageBoxMetrics s = MakeMessageBoxMetrics(1280, 96);
  TBoxGeometry g = LayoutBox(s, 80, 40, 700);
  EXPECT_EQ(g.ClientHeight, 80 + 37 + 45);
  ASSERT_TRUE(g.HelpPanel.has_value());
  EXPECT_EQ(*g.HelpPanel, (TRect{0, 117, 406, 162}));
  EXPECT_EQ(g.HelpView, (TRect{0, 117, 406, 157}));
}

TEST(MessageBoxLayout, TallTextIsCutAtTheLimitAndThePanelsStay) {
  TMessageBoxMetrics s = MakeMessageBoxMetrics(1280, 96);
  TBoxGeometry g = LayoutBox(s, 900, 40, 600);
  EXPECT_EQ(g.ClientHeight, 600);
  EXPECT_EQ(g.HelpPanel->Bottom, 600);
  EXPECT_EQ(g.ButtonBar.Bottom, g.HelpPanel->Top);
  EXPECT_EQ(g.Message.Height(), g.ButtonBar.Top - 2);
}

TEST(MessageBoxLayout, HeightLimitIsSeventyPercentRounded) {
  EXPECT_EQ(BoxHeightLimit(1024), 717);  // 716.8
  EXPECT_EQ(BoxHeightLimit(768), 538);   // 537.6
  EXPECT_EQ(BoxHeightLimit(1000), 700);
}

TEST(Dpi, TheMainWindowsLengthsScaleWithTheDpi) {
  EXPECT_EQ(ScaleToDpi(593, 96), 593);
  EXPECT_EQ(ScaleToDpi(593, 144), 890);  // 889.5 rounds up
  EXPECT_EQ(ScaleToDpi(25, 120), 31);    // 31.25
  EXPECT_EQ(ScaleToDpi(5, 192), 10);
}

TEST(MessageBoxLayout, ScalingRoundsToTheNearestPixel) {
  EXPECT_EQ(ScaleToDpi(35, 96), 35);
  EXPECT_EQ(ScaleToDpi(35, 144), 53);  // 52.5
  EXPECT_EQ(ScaleToDpi(5, 120), 6);    // 6.25
  EXPECT_EQ(ScaleToDpi(406, 192), 812);
}

std::vector<TMonitor> TwoMonitors() {
  // The primary on the right, a second one on its left.
  return {TMonitor{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}, false},
          TMonitor{{0, 0, 1280, 1024}, {0, 0, 1280, 984}, true}};
}

TEST(MessageBoxLayout, MonitorThatHoldsMostOfTheWindowIsChosen) {
  auto monitors = TwoMonitors();
  EXPECT_EQ(ChooseBoxMonitor(monitors, TRect{-1000, 100, -200, 700}, 0), 0u);
  EXPECT_EQ(ChooseBoxMonitor(monitors, TRect{100, 100, 900, 700}, 1), 1u);
}

TEST(MessageBoxLayout, WindowAcrossBothMonitorsFallsBackToItsOwnMonitor) {
  auto monitors = TwoMonitors();
  // Half on each side: neither holds more than half of its width.
  EXPECT_EQ(ChooseBoxMonitor(monitors, TRect{-400, 100, 400, 700}, 0), 0u);
  EXPECT_EQ(ChooseBoxMonitor(monitors, TRect{-400, 100, 400, 700}, 1), 1u);
}

TEST(MessageBoxLayout, WithoutAWindowThePrimaryMonitorIsChosen) {
  auto monitors = TwoMonitors();
  EXPECT_EQ(ChooseBoxMonitor(monitors, std::nullopt, std::nullopt), 1u);
  EXPECT_EQ(ChooseBoxMonitor(monitors, TRect{5000, 0, 5100, 100}, std::nullopt), 1u);
}

TEST(MessageBoxLayout, CentredInTheWorkArea) {
  EXPECT_EQ(CenterIn(TRect{0, 0, 1280, 984}, 412, 200), (TRect{434, 392, 846, 592}));
  EXPECT_EQ(CenterIn(TRect{-1920, 0, 0, 1040}, 400, 200), (TRect{-1160, 420, -760, 620}));
}

}  // namespace
}  // namespace qv::ui
