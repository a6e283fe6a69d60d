// Showing bitmaps on screen: the conversion of a TBitmap's true picture to a QImage, the image
// view that draws a picture in its top-left corner at a zoom (with the inspector's marks over
// it), and the scroll box that zooms it.
#pragma once

#include <QImage>
#include <QScrollArea>
#include <QWidget>

#include "Mainwin/core/PictureProbe.h"
#include "Mainwin/core/Zoom.h"
#include "codec/Bitmap.h"

class QAction;
class QMouseEvent;
class QWheelEvent;

namespace zarn {

// The bitmap's true picture as a 32-bit image; an empty QImage for an empty bitmap. Throws
// CodecError for a bitmap without a true picture here, std::bad_alloc when the image cannot
// be allocated.
QImage BitmapToImage(const TBitmap& bitmap);

class TImageView;
// The picture `view` shows, described by `image`, as a picture of its own size to copy: an
// Index8 one with its indices and palette; with `transparency`, transparent pixels take the
// checkerboard's colours (squares of image pixels). A null image when nothing is shown.
QImage CopyableImage(const TImageView& view, const TInspected& image, bool transparency);

// An image view: draws a copy of its picture at its top-left corner, neither stretched to the
// view nor centred, with each image pixel a square of zoom / 100 logical pixels (nearest
// neighbour, so a texture stays crisp). Its size is set by the commands, in image pixels,
// independently of the picture, as the windows' image views are.
class TImageView : public QWidget {
  Q_OBJECT

 public:
  explicit TImageView(QWidget* parent = nullptr);

  // Sets the view's size in image pixels (0 x 0 hides everything).
  void SetImageSize(int width, int height);
  // The view's size in image pixels, as last set, whatever the zoom.
  QSize ImageSize() const { return imageSize_; }

  // The zoom in percent; 100 shows one image pixel per logical pixel.
  void SetZoom(int percent);
  int Zoom() const { return zoom_; }

  // Makes the picture a copy of `image` (or of the bitmap's picture).
  void SetPicture(const QImage& image);
  void SetPicture(const TBitmap& bitmap) { SetPicture(BitmapToImage(bitmap)); }
  const QImage& Picture() const { return picture_; }

  // Shows `bitmap` in the view: its size, then a copy of its picture.
  void ShowBitmap(const TBitmap& bitmap);

  // Draws `marks` over the picture, which `image` describes pixel by pixel: transparent pixels
  // over a checkerboard fixed on the screen, the pixels of other indices than a highlighted one
  // dimmed. A new picture drops the marks until they are set again.
  void SetMarks(const TInspected& image, const TMarks& marks);
  // The picture as drawn: with its marks, clear where the checkerboard shows.
  const QImage& ShownPicture() const { return marked_.isNull() ? picture_ : marked_; }

 signals:
  // The pointer moved over the view (logical pixels from its top-left corner), or left it.
  void PointerMoved(QPointF at);
  void PointerLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void ApplySize();

  QImage picture_;
  QImage marked_;  // the picture with its marks; null without marks
  bool checker_ = false;
  QSize imageSize_;
  int zoom_ = kActualSize;
};

// A scroll box with a black background holding an image view at its top-left corner; scroll
// bars show when the view is larger than the visible area. It zooms the view: Ctrl + wheel over
// the box, and its actions Zoom In (Ctrl++), Zoom Out (Ctrl+-) and Actual Size (Ctrl+0), whose
// keys work anywhere in the box's window.
class TImageBox : public QScrollArea {
  Q_OBJECT

 public:
  TImageBox(TImageView* view, QWidget* parent);

  TImageView* View() const { return view_; }
  int Zoom() const { return zoom_.Percent(); }
  QAction* ZoomInAction() const { return zoomIn_; }
  QAction* ZoomOutAction() const { return zoomOut_; }
  QAction* ActualSizeAction() const { return actualSize_; }

  // Keyboard and menu zooms keep the middle of the visible area in place.
  void ZoomIn();
  void ZoomOut();
  void ActualSize();
  // Goes to `percent` when it is a zoom step.
  void SetZoom(int percent);
  // Offers the zoom actions, or disables them all (nothing to zoom).
  void SetZoomEnabled(bool enabled);

 signals:
  void ZoomChanged(int percent);

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  // An image point (in image pixels) and the place in the viewport where it is to show.
  struct TZoomAnchor {
    QPointF ImagePoint;
    QPointF At;
  };
  // The image point under `at` (viewport coordinates), kept within the picture.
  QPointF ImagePointAt(QPointF at) const;
  TZoomAnchor CentreAnchor() const;
  // Shows the zoom now in zoom_, with `anchor`'s image point at its place.
  void ApplyZoom(const TZoomAnchor& anchor);
  // Zoom In and Zoom Out are disabled at the largest and the smallest step.
  void UpdateActions();

  TImageView* view_;
  TZoom zoom_;
  QAction* zoomIn_ = nullptr;
  QAction* zoomOut_ = nullptr;
  QAction* actualSize_ = nullptr;
  bool zoomEnabled_ = true;
};

}  // namespace zarn
