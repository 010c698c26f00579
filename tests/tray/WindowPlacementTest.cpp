#include "tray/WindowPlacement.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

const TScreenRect kScreen = {0, 0, 1280, 1024};
const TSize kWindow = {595, 161};

TEST(WindowPlacement, ShowPlaceIsBottomRightFourPixelsIn) {
  TPlace place = ShowPlace({0, 0, 1280, 984}, kWindow);
  EXPECT_EQ(place.Left, 1280 - 595 - 4);
  EXPECT_EQ(place.Top, 984 - 161 - 4);
}

TEST(WindowPlacement, ShowPlaceWithTaskbarAtTopMeasuresFromTheWorkAreaHeight) {
  // Work area below a 40-pixel taskbar at the top: the top is taken from the
  // height, not the bottom, so the window sits 40 pixels higher.
  TPlace place = ShowPlace({0, 40, 1280, 1024}, kWindow);
  EXPECT_EQ(place.Top, 984 - 161 - 4);
  EXPECT_EQ(place.Left, 1280 - 595 - 4);
}

TEST(WindowPlacement, NearTheTaskbarAtEachEdge) {
  struct TCase {
    TTaskbarPosition Taskbar;
    TScreenRect WorkArea;
    TPlace Expected;
  };
  const TCase cases[] = {
      // left: a 60-pixel bar; the window keeps to the work area's bottom right
      {{TTaskbarEdge::Left, 0, 0, 60, 1024},
       {60, 0, 1280, 1024},
       {1280 - 595 - 10, 1024 - 161 - 10}},
      // top
      {{TTaskbarEdge::Top, 0, 0, 1280, 40},
       {0, 40, 1280, 1024},
       {1280 - 595 - 10, 1024 - 161 - 10}},
      // right: the bar's width is taken off once more
      {{TTaskbarEdge::Right, 1200, 0, 1280, 1024},
       {0, 0, 1200, 1024},
       {1200 - 80 - 595 - 10, 1024 - 161 - 10}},
      // bottom: above the bar
      {{TTaskbarEdge::Bottom, 0, 984, 1280, 1024},
       {0, 0, 1280, 984},
       {1280 - 595 - 10, 984 - 161 - 10}},
  };
  for (const TCase& c : cases) {
    auto place = PlaceNearTaskbar(c.WorkArea, c.Taskbar, kWindow);
    ASSERT_TRUE(place.has_value()) << "edge " << static_cast<int>(c.Taskbar.Edge);
    EXPECT_EQ(place->Left, c.Expected.Left) << "edge " << static_cast<int>(c.Taskbar.Edge);
    EXPECT_EQ(place->Top, c.Expected.Top) << "edge " << static_cast<int>(c.Taskbar.Edge);
  }
}

TEST(WindowPlacement, AnUnknownEdgeLeavesTheWindowWhereItIs) {
  EXPECT_FALSE(
      PlaceNearTaskbar(kScreen, {static_cast<TTaskbarEdge>(5), 0, 0, 0, 0}, kWindow).has_value());
  EXPECT_FALSE(PlaceNearTaskbar(kScreen, {TTaskbarEdge::Unknown, 0, 0, 0, 0}, kWindow).has_value());
}

TEST(WindowPlacement, ShrinkingSpeedsUpAndStopsBeforeNothingIsLeft) {
  auto steps = ShrinkSteps(kWindow);
  ASSERT_GE(steps.size(), 3u);
  // First steps: a hundredth of the start size, then two hundredths, ...
  EXPECT_EQ(steps[0].Width, 595 - 5);
  EXPECT_EQ(steps[0].Height, 161 - 1);
  EXPECT_EQ(steps[1].Width, 595 - 5 - 10);
  EXPECT_EQ(steps[1].Height, 161 - 1 - 2);
  for (size_t i = 2; i < steps.size(); ++i) {
    int previous = steps[i - 2].Width - steps[i - 1].Width;
    EXPECT_GT(steps[i - 1].Width - steps[i].Width, previous) << "step " << i;
  }
  for (const TSize& s : steps) {
    EXPECT_GT(s.Width, 0);
    EXPECT_GT(s.Height, 0);
  }
  // The width runs out first: one more step would leave nothing.
  int next = 5 * static_cast<int>(steps.size() + 1);
  EXPECT_LE(steps.back().Width - next, 0);
}

TEST(WindowPlacement, ATinyPictureNeverShrinksBelowOnePixel) {
  for (const TSize& s : ShrinkSteps({50, 50})) {
    EXPECT_EQ(s.Width, 50);
    EXPECT_EQ(s.Height, 50);
  }
  EXPECT_LE(ShrinkSteps({50, 50}).size(), 100u);
}

}  // namespace
}  // namespace qv
