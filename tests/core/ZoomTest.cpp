// The zoom of the image views: its steps, the wheel, going back to actual size, and the size of
// a zoomed picture.
#include <gtest/gtest.h>

#include <vector>

#include "Mainwin/core/Zoom.h"

namespace zarn {
namespace {

TEST(ZoomSteps, NextAndPreviousStopAtTheEnds) {
  struct Row {
    int From, Next, Previous;
  } const rows[] = {
      {25, 50, 25},
      {50, 100, 25},
      {100, 200, 50},
      {200, 300, 100},
      {600, 800, 400},
      {800, 1600, 600},
      {1600, 1600, 800},
      // Between steps, or beyond them: the neighbouring step in that direction.
      {150, 200, 100},
      {10, 25, 25},
      {5000, 1600, 1600},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(NextZoomStep(r.From), r.Next) << r.From;
    EXPECT_EQ(PreviousZoomStep(r.From), r.Previous) << r.From;
  }
}

TEST(ZoomSteps, KeysWheelAndResetMoveThroughTheSteps) {
  TZoom zoom;
  EXPECT_EQ(zoom.Percent(), 100);
  std::vector<int> seen;
  while (zoom.ZoomIn())
    seen.push_back(zoom.Percent());
  EXPECT_EQ(seen, (std::vector<int>{200, 300, 400, 600, 800, 1600}));
  seen.clear();
  while (zoom.ZoomOut())
    seen.push_back(zoom.Percent());
  EXPECT_EQ(seen, (std::vector<int>{800, 600, 400, 300, 200, 100, 50, 25}));

  EXPECT_FALSE(zoom.Set(150));  // not a step
  EXPECT_EQ(zoom.Percent(), 25);
  EXPECT_TRUE(zoom.Set(400));
  EXPECT_TRUE(zoom.Reset());
  EXPECT_EQ(zoom.Percent(), 100);
  EXPECT_FALSE(zoom.Reset());

  // One step per notch; a fine wheel's deltas add up to a notch; turning back starts afresh.
  EXPECT_TRUE(zoom.Wheel(240));
  EXPECT_EQ(zoom.Percent(), 300);
  EXPECT_FALSE(zoom.Wheel(60));
  EXPECT_TRUE(zoom.Wheel(60));
  EXPECT_EQ(zoom.Percent(), 400);
  EXPECT_FALSE(zoom.Wheel(90));
  EXPECT_FALSE(zoom.Wheel(-90));
  EXPECT_TRUE(zoom.Wheel(-30));
  EXPECT_EQ(zoom.Percent(), 300);
  // Reset forgets half a notch.
  EXPECT_FALSE(zoom.Wheel(100));
  zoom.Reset();
  EXPECT_FALSE(zoom.Wheel(20));
  EXPECT_EQ(zoom.Percent(), 100);
}

TEST(ZoomSteps, ZoomedLengthKeepsEveryPixelAndStaysWithinTheLimit) {
  struct Row {
    int Pixels, Percent, Length;
  } const rows[] = {
      {64, 100, 64},
      {64, 1600, 1024},
      {64, 25, 16},
      {5, 25, 2},
      {1, 25, 1},
      {0, 1600, 0},
      {1000000, 1600, 16000000},
      {2000000, 1600, static_cast<int>(kMaxZoomedLength)},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ZoomedLength(r.Pixels, r.Percent), r.Length) << r.Pixels << " at " << r.Percent;
}

}  // namespace
}  // namespace zarn
