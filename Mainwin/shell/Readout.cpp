#include "Mainwin/shell/Readout.h"

#include <QBoxLayout>
#include <QCursor>
#include <QLabel>

#include "Mainwin/shell/BitmapImage.h"

namespace zarn {

namespace {

QLabel* AddPart(QStatusBar* bar, const char* name, bool permanent) {
  auto* label = new QLabel(bar);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  if (permanent) {
    bar->addPermanentWidget(label);
  } else {
    // The read-out's length changes with every pixel; the bar's layout need not follow it.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(label, 1);
  }
  return label;
}

}  // namespace

TReadoutBar::TReadoutBar(TImageBox* box, QBoxLayout* row, QWidget* parent)
    : QStatusBar(parent), box_(box) {
  setObjectName(QStringLiteral("StatusBar"));
  setSizeGripEnabled(false);
  pixel_ = AddPart(this, "PixelReadout", false);
  zoom_ = AddPart(this, "ZoomReadout", true);
  size_ = AddPart(this, "SizeReadout", true);
  zoom_->setText(QString::fromStdString(ZoomText(box->Zoom())));

  auto* column = new QVBoxLayout;
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(box, 1);
  column->addWidget(this);
  row->addLayout(column, 1);

  TImageView* view = box->View();
  connect(view, &TImageView::PointerMoved, this, [this](QPointF at) { PointerAt(at); });
  connect(view, &TImageView::PointerLeft, this, [this] { PointerAt(std::nullopt); });
  connect(box, &TImageBox::ZoomChanged, this, [this, view](int percent) {
    zoom_->setText(QString::fromStdString(ZoomText(percent)));
    // The picture moved under a pointer that stayed where it was.
    PointerAt(view->underMouse() ? std::optional(QPointF(view->mapFromGlobal(QCursor::pos())))
                                 : std::nullopt);
  });
}

void TReadoutBar::SetInspected(const TInspected& image) {
  image_ = image;
  size_->setText(image.Empty() ? QString()
                               : QString::fromStdString(SizeText(image.Width, image.Height)));
  shown_.reset();
  pixel_->clear();
  TImageView* view = box_->View();
  if (view->underMouse()) PointerAt(QPointF(view->mapFromGlobal(QCursor::pos())));
}

void TReadoutBar::PointerAt(std::optional<QPointF> at) {
  ShowPixel(at ? PixelUnder(at->x(), at->y(), box_->Zoom(), image_) : std::nullopt);
}

void TReadoutBar::ShowPixel(std::optional<TPixelPos> pixel) {
  if (pixel == shown_) return;
  shown_ = pixel;
  pixel_->setText(pixel ? QString::fromStdString(
                              ReadoutText(pixel->X, pixel->Y, PixelAt(image_, pixel->X, pixel->Y)))
                        : QString());
}

QString TReadoutBar::PixelText() const {
  return pixel_->text();
}

QString TReadoutBar::ZoomPartText() const {
  return zoom_->text();
}

QString TReadoutBar::SizePartText() const {
  return size_->text();
}

}  // namespace zarn
