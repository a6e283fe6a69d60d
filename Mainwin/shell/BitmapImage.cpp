#include "Mainwin/shell/BitmapImage.h"

#include <QAction>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace zarn {

QImage BitmapToImage(const TBitmap& bitmap) {
  if (bitmap.Empty()) return QImage();
  std::vector<std::uint8_t> scratch;
  const TPicture picture = bitmap.Picture(scratch);
  if (picture.Width <= 0 || picture.Height <= 0) return QImage();
  QImage image(picture.Width, picture.Height, QImage::Format_RGB32);
  if (image.isNull()) throw std::bad_alloc();

  std::array<QRgb, kPaletteEntries> colours{};
  for (int i = 0; i < kPaletteEntries; ++i) {
    const TRGBQuad& q = picture.Colours[static_cast<std::size_t>(i)];
    colours[static_cast<std::size_t>(i)] = qRgb(q.Red, q.Green, q.Blue);
  }
  for (std::int32_t y = 0; y < picture.Height; ++y) {
    const std::span<const std::uint8_t> row = picture.Row(y);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    if (picture.BitCount == 8) {
      for (std::int32_t x = 0; x < picture.Width; ++x)
        out[x] = colours[row[static_cast<std::size_t>(x)]];
    } else {
      for (std::int32_t x = 0; x < picture.Width; ++x) {
        const std::size_t p = static_cast<std::size_t>(x) * 3;
        out[x] = qRgb(row[p + 2], row[p + 1], row[p]);
      }
    }
  }
  return image;
}

QImage CopyableImage(const TImageView& view, const TInspected& image, bool transparency) {
  const QImage& picture = view.Picture();
  if (image.Empty() || picture.width() != image.Width || picture.height() != image.Height)
    return QImage();
  if (transparency) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    for (std::int32_t y = 0; y < image.Height; ++y) {
      auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
      for (std::int32_t x = 0; x < image.Width; ++x)
        if (IsTransparentPixel(image, x, y)) row[x] = CheckerColour(x, y);
    }
    return out;
  }
  if (image.Form != EPixelForm::Index8 || !image.Palette) return picture.copy();
  QImage out(image.Width, image.Height, QImage::Format_Indexed8);
  if (out.isNull()) throw std::bad_alloc();
  QList<QRgb> colours;
  for (const TRGBQuad& q : *image.Palette)
    colours.push_back(qRgb(q.Red, q.Green, q.Blue));
  out.setColorTable(colours);
  for (std::int32_t y = 0; y < image.Height; ++y)
    std::memcpy(out.scanLine(y), image.Top + image.Stride * y,
                static_cast<std::size_t>(image.Width));
  return out;
}

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
}

void TImageView::SetImageSize(int width, int height) {
  imageSize_ = QSize(std::max(0, width), std::max(0, height));
  ApplySize();
}

void TImageView::SetZoom(int percent) {
  if (percent <= 0 || percent == zoom_) return;
  zoom_ = percent;
  ApplySize();
  update();
}

void TImageView::ApplySize() {
  // Logical pixels, whatever the screen's device pixel ratio: at 100 % an image pixel covers a
  // logical pixel, so a picture looks the same size on every screen.
  setFixedSize(ZoomedLength(imageSize_.width(), zoom_), ZoomedLength(imageSize_.height(), zoom_));
}

void TImageView::SetPicture(const QImage& image) {
  picture_ = image.copy();
  marked_ = QImage();
  checker_ = false;
  update();
}

void TImageView::SetMarks(const TInspected& image, const TMarks& marks) {
  const bool fits =
      !image.Empty() && image.Width == picture_.width() && image.Height == picture_.height();
  checker_ = fits && marks.Transparency;
  if (!fits || !marks.Any()) {
    marked_ = QImage();
  } else {
    marked_ = picture_.convertToFormat(QImage::Format_ARGB32);
    if (marked_.isNull()) throw std::bad_alloc();
    MarkPixels(image, marks, reinterpret_cast<std::uint32_t*>(marked_.bits()),
               marked_.bytesPerLine() / 4);
  }
  update();
}

void TImageView::mouseMoveEvent(QMouseEvent* event) {
  emit PointerMoved(event->position());
  QWidget::mouseMoveEvent(event);
}

void TImageView::leaveEvent(QEvent* event) {
  emit PointerLeft();
  QWidget::leaveEvent(event);
}

namespace {

// Two squares of each shade, as a brush that tiles from the view's top-left corner: the same
// squares at every zoom, sharp on a high-resolution screen.
QBrush CheckerBrush(qreal deviceRatio) {
  const int side = 2 * kCheckerSquare;
  QImage tile(qCeil(side * deviceRatio), qCeil(side * deviceRatio), QImage::Format_RGB32);
  for (int y = 0; y < tile.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(tile.scanLine(y));
    for (int x = 0; x < tile.width(); ++x)
      row[x] = CheckerColour(static_cast<int>(x / deviceRatio), static_cast<int>(y / deviceRatio));
  }
  tile.setDevicePixelRatio(deviceRatio);
  return QBrush(tile);
}

}  // namespace

void TImageView::ShowBitmap(const TBitmap& bitmap) {
  QImage image = BitmapToImage(bitmap);
  SetImageSize(bitmap.Width(), bitmap.Height());
  SetPicture(image);
}

void TImageView::paintEvent(QPaintEvent* event) {
  if (picture_.isNull()) return;
  // Only the image pixels under the exposed area are drawn, so a large zoom costs no more than
  // the part of the screen it covers.
  const double scale = zoom_ / 100.0;
  const QRect exposed = event->rect();
  const auto first = [scale](int at, int limit) {
    return std::clamp(static_cast<int>(std::floor(at / scale)), 0, limit);
  };
  const auto past = [scale](int at, int limit) {
    return std::clamp(static_cast<int>(std::ceil((at + 1) / scale)), 0, limit);
  };
  const int x0 = first(exposed.left(), picture_.width());
  const int x1 = past(exposed.right(), picture_.width());
  const int y0 = first(exposed.top(), picture_.height());
  const int y1 = past(exposed.bottom(), picture_.height());
  if (x1 <= x0 || y1 <= y0) return;
  QPainter painter(this);
  if (checker_) painter.fillRect(exposed, CheckerBrush(devicePixelRatioF()));
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);  // nearest neighbour
  painter.drawImage(QRectF(x0 * scale, y0 * scale, (x1 - x0) * scale, (y1 - y0) * scale),
                    ShownPicture(), QRect(x0, y0, x1 - x0, y1 - y0));
}

namespace {

QAction* MakeZoomAction(QWidget* owner, const char* name, const QString& caption,
                        const QList<QKeySequence>& keys) {
  auto* action = new QAction(caption, owner);
  action->setObjectName(QLatin1String(name));
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  owner->addAction(action);
  return action;
}

}  // namespace

TImageBox::TImageBox(TImageView* view, QWidget* parent) : QScrollArea(parent), view_(view) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::Base, Qt::black);
  setPalette(palette);
  setBackgroundRole(QPalette::Window);
  setAutoFillBackground(true);
  viewport()->setPalette(palette);
  viewport()->setAutoFillBackground(true);
  setWidgetResizable(false);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWidget(view);
  view_->SetZoom(zoom_.Percent());

  // Ctrl+= too, for keyboards where "+" needs Shift.
  zoomIn_ = MakeZoomAction(
      this, "ZoomIn1", QStringLiteral("Zoom &In"),
      {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  zoomOut_ = MakeZoomAction(this, "ZoomOut1", QStringLiteral("Zoom &Out"),
                            {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
  actualSize_ = MakeZoomAction(this, "ActualSize1", QStringLiteral("&Actual Size"),
                               {QKeySequence(Qt::CTRL | Qt::Key_0)});
  connect(zoomIn_, &QAction::triggered, this, &TImageBox::ZoomIn);
  connect(zoomOut_, &QAction::triggered, this, &TImageBox::ZoomOut);
  connect(actualSize_, &QAction::triggered, this, &TImageBox::ActualSize);
  UpdateActions();
}

void TImageBox::ZoomIn() {
  const TZoomAnchor anchor = CentreAnchor();
  if (zoom_.ZoomIn()) ApplyZoom(anchor);
}

void TImageBox::ZoomOut() {
  const TZoomAnchor anchor = CentreAnchor();
  if (zoom_.ZoomOut()) ApplyZoom(anchor);
}

void TImageBox::ActualSize() {
  const TZoomAnchor anchor = CentreAnchor();
  if (zoom_.Reset()) ApplyZoom(anchor);
}

void TImageBox::SetZoom(int percent) {
  const TZoomAnchor anchor = CentreAnchor();
  if (zoom_.Set(percent)) ApplyZoom(anchor);
}

void TImageBox::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QScrollArea::wheelEvent(event);
    return;
  }
  // The image point under the pointer stays under it.
  const QPoint angle = event->angleDelta();
  const QPointF at = event->position();
  const TZoomAnchor anchor{ImagePointAt(at), at};
  if (zoomEnabled_ && zoom_.Wheel(angle.y() != 0 ? angle.y() : angle.x())) ApplyZoom(anchor);
  event->accept();
}

QPointF TImageBox::ImagePointAt(QPointF at) const {
  const double scale = view_->Zoom() / 100.0;
  const QSize size = view_->ImageSize();
  const QPointF point((at.x() + horizontalScrollBar()->value()) / scale,
                      (at.y() + verticalScrollBar()->value()) / scale);
  return {std::clamp(point.x(), 0.0, double(size.width())),
          std::clamp(point.y(), 0.0, double(size.height()))};
}

TImageBox::TZoomAnchor TImageBox::CentreAnchor() const {
  // The middle of the part of the picture in sight goes to the middle of the box, so that a
  // small picture that outgrows the box shows its middle rather than a corner.
  const QRect shown = viewport()->rect() & view_->geometry();
  if (shown.isEmpty()) return {};
  return {ImagePointAt(QRectF(shown).center()), QRectF(viewport()->rect()).center()};
}

void TImageBox::ApplyZoom(const TZoomAnchor& anchor) {
  view_->SetZoom(zoom_.Percent());
  const double scale = zoom_.Percent() / 100.0;
  horizontalScrollBar()->setValue(qRound(anchor.ImagePoint.x() * scale - anchor.At.x()));
  verticalScrollBar()->setValue(qRound(anchor.ImagePoint.y() * scale - anchor.At.y()));
  UpdateActions();
  emit ZoomChanged(zoom_.Percent());
}

void TImageBox::SetZoomEnabled(bool enabled) {
  zoomEnabled_ = enabled;
  UpdateActions();
}

void TImageBox::UpdateActions() {
  zoomIn_->setEnabled(zoomEnabled_ && zoom_.Percent() != kZoomSteps.back());
  zoomOut_->setEnabled(zoomEnabled_ && zoom_.Percent() != kZoomSteps.front());
  actualSize_->setEnabled(zoomEnabled_);
}

}  // namespace zarn
