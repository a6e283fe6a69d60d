#include "Mainwin/shell/BitmapImage.h"

#include <QEvent>
#include <QPainter>
#include <QScrollArea>
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

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setFocusPolicy(Qt::NoFocus);
}

void TImageView::SetImageSize(int width, int height) {
  imageSize_ = QSize(std::max(0, width), std::max(0, height));
  ApplySize();
}

void TImageView::ApplySize() {
  // The view's logical size covers imageSize_ device pixels, so the picture is not enlarged on
  // screens with a device pixel ratio above 1.
  const double ratio = devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0;
  setFixedSize(static_cast<int>(std::ceil(imageSize_.width() / ratio)),
               static_cast<int>(std::ceil(imageSize_.height() / ratio)));
}

void TImageView::SetPicture(const QImage& image) {
  picture_ = image.copy();
  update();
}

void TImageView::ShowBitmap(const TBitmap& bitmap) {
  QImage image = BitmapToImage(bitmap);
  SetImageSize(bitmap.Width(), bitmap.Height());
  SetPicture(image);
}

void TImageView::paintEvent(QPaintEvent* /*event*/) {
  if (picture_.isNull()) return;
  QImage shown = picture_;
  shown.setDevicePixelRatio(devicePixelRatioF());
  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), shown);
}

void TImageView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ScreenChangeInternal) ApplySize();
}

QScrollArea* MakeImageScrollBox(TImageView* view, QWidget* parent) {
  auto* box = new QScrollArea(parent);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::Base, Qt::black);
  box->setPalette(palette);
  box->setBackgroundRole(QPalette::Window);
  box->setAutoFillBackground(true);
  box->viewport()->setPalette(palette);
  box->viewport()->setAutoFillBackground(true);
  box->setWidgetResizable(false);
  box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  box->setWidget(view);
  return box;
}

}  // namespace zarn
