// Showing bitmaps on screen: the conversion of a TBitmap's true picture to a QImage, and the
// image view that draws a picture at its natural size in the top-left corner.
#pragma once

#include <QImage>
#include <QWidget>

#include "codec/Bitmap.h"

class QScrollArea;

namespace zarn {

// The bitmap's true picture as a 32-bit image; an empty QImage for an empty bitmap. Throws
// CodecError for a bitmap without a true picture here, std::bad_alloc when the image cannot
// be allocated.
QImage BitmapToImage(const TBitmap& bitmap);

// An image view: draws a copy of its picture at natural size (one image pixel on one device
// pixel) at its top-left corner, neither stretched nor centred. Its size is set by the commands,
// in image pixels, independently of the picture, as the windows' image views are.
class TImageView : public QWidget {
  Q_OBJECT

 public:
  explicit TImageView(QWidget* parent = nullptr);

  // Sets the view's size in image pixels (0 x 0 hides everything).
  void SetImageSize(int width, int height);
  // The view's size in image pixels, as last set.
  QSize ImageSize() const { return imageSize_; }

  // Makes the picture a copy of `image` (or of the bitmap's picture).
  void SetPicture(const QImage& image);
  void SetPicture(const TBitmap& bitmap) { SetPicture(BitmapToImage(bitmap)); }
  const QImage& Picture() const { return picture_; }

  // Shows `bitmap` in the view: its size, then a copy of its picture.
  void ShowBitmap(const TBitmap& bitmap);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplySize();

  QImage picture_;
  QSize imageSize_;
};

// A scroll box with a black background holding `view` at its top-left corner; scroll bars
// show when the view is larger than the visible area.
QScrollArea* MakeImageScrollBox(TImageView* view, QWidget* parent);

}  // namespace zarn
