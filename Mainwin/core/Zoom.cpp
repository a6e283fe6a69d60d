#include "Mainwin/core/Zoom.h"

#include <algorithm>

namespace zarn {

int NextZoomStep(int percent) {
  for (const int step : kZoomSteps)
    if (step > percent) return step;
  return kZoomSteps.back();
}

int PreviousZoomStep(int percent) {
  for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it)
    if (*it < percent) return *it;
  return kZoomSteps.front();
}

int ZoomedLength(int imagePixels, int percent) {
  if (imagePixels <= 0 || percent <= 0) return 0;
  const std::int64_t scaled = (std::int64_t{imagePixels} * percent + 99) / 100;
  return static_cast<int>(std::min(scaled, kMaxZoomedLength));
}

bool TZoom::ZoomIn() {
  return Set(NextZoomStep(percent_));
}

bool TZoom::ZoomOut() {
  return Set(PreviousZoomStep(percent_));
}

bool TZoom::Set(int percent) {
  if (std::find(kZoomSteps.begin(), kZoomSteps.end(), percent) == kZoomSteps.end()) return false;
  const bool changed = percent != percent_;
  percent_ = percent;
  return changed;
}

bool TZoom::Reset() {
  wheelRest_ = 0;
  return Set(kActualSize);
}

bool TZoom::Wheel(int delta) {
  if ((delta > 0 && wheelRest_ < 0) || (delta < 0 && wheelRest_ > 0)) wheelRest_ = 0;
  wheelRest_ += delta;
  bool changed = false;
  while (wheelRest_ >= kWheelNotch) {
    wheelRest_ -= kWheelNotch;
    changed = ZoomIn() || changed;
  }
  while (wheelRest_ <= -kWheelNotch) {
    wheelRest_ += kWheelNotch;
    changed = ZoomOut() || changed;
  }
  return changed;
}

}  // namespace zarn
