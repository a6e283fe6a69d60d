// The zoom of an image view: the steps it moves through, the mouse wheel's part in it, and the
// size of a zoomed picture. Display-free, so both windows' image areas share it.
#pragma once

#include <array>
#include <cstdint>

namespace zarn {

// The zoom steps in percent. At 100 % one image pixel covers one logical pixel of the screen,
// so a picture looks as large on a high-resolution screen as on a 96-dpi one.
inline constexpr std::array<int, 9> kZoomSteps{25, 50, 100, 200, 300, 400, 600, 800, 1600};
inline constexpr int kActualSize = 100;
// One notch of a mouse wheel, in the eighths of a degree the toolkit reports.
inline constexpr int kWheelNotch = 120;
// The largest length a zoomed view may take, in logical pixels (the toolkit's widget limit).
inline constexpr std::int64_t kMaxZoomedLength = 16777215;

// The first step above `percent`, or the largest step; the last step below it, or the smallest.
int NextZoomStep(int percent);
int PreviousZoomStep(int percent);

// `imagePixels` at `percent`, in logical pixels: a part of a pixel counts as a whole one, so
// every image pixel stays visible; at most kMaxZoomedLength.
int ZoomedLength(int imagePixels, int percent);

// The zoom of one image view. Each change returns true when the zoom is now another step.
class TZoom {
 public:
  int Percent() const { return percent_; }
  bool ZoomIn();
  bool ZoomOut();
  // Goes to `percent` when it is one of the steps; any other value is refused.
  bool Set(int percent);
  // Back to actual size, forgetting a wheel turn in progress.
  bool Reset();
  // A wheel turn of `delta` (positive away from the user, which zooms in): one step per notch.
  // A fine-grained wheel's deltas add up until they make a notch; turning the other way starts
  // afresh.
  bool Wheel(int delta);

 private:
  int percent_ = kActualSize;
  int wheelRest_ = 0;
};

}  // namespace zarn
