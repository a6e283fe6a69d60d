// The status bar under an image area: the read-out of the pixel under the pointer (position,
// index or stored value, colour, whether it is transparent), the zoom and the picture's size.
// The text changes only when the pointer reaches another pixel, and only the bar is redrawn.
#pragma once

#include <QStatusBar>
#include <optional>

#include "Mainwin/core/PictureProbe.h"

class QBoxLayout;
class QLabel;

namespace zarn {

class TImageBox;

class TReadoutBar : public QStatusBar {
  Q_OBJECT

 public:
  // A bar that follows `box`'s view and zoom, added with the box to `row`: the box above, the
  // bar below it, together taking the rest of the row.
  TReadoutBar(TImageBox* box, QBoxLayout* row, QWidget* parent);

  // The picture now shown, as the inspector sees it; empty when nothing is shown. The image it
  // points into must stay unchanged until the next call.
  void SetInspected(const TInspected& image);
  const TInspected& Inspected() const { return image_; }

  // The three parts as they read now.
  QString PixelText() const;
  QString ZoomPartText() const;
  QString SizePartText() const;

  // The pointer at `at` in the view's logical pixels, or away from the view (nothing).
  void PointerAt(std::optional<QPointF> at);

 private:
  void ShowPixel(std::optional<TPixelPos> pixel);

  TImageBox* box_;
  TInspected image_;
  std::optional<TPixelPos> shown_;
  QLabel* pixel_ = nullptr;
  QLabel* zoom_ = nullptr;
  QLabel* size_ = nullptr;
};

}  // namespace zarn
