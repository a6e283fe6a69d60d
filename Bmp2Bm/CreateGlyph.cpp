#include "Bmp2Bm/CreateGlyph.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zarn {

namespace {

// The "Create BM" glyph: a sheet with a folded corner and a tick. Enabled it is drawn in
// colour; disabled, embossed in the greys of a disabled button.
QPixmap CreateBMGlyph(bool enabled) {
  QPixmap pixmap(kCreateBMGlyphSize, kCreateBMGlyphSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  QPainterPath sheet;
  sheet.moveTo(3.5, 1.5);
  sheet.lineTo(10.5, 1.5);
  sheet.lineTo(14.5, 5.5);
  sheet.lineTo(14.5, 16.5);
  sheet.lineTo(3.5, 16.5);
  sheet.closeSubpath();
  QPainterPath tick;
  tick.moveTo(5.5, 10.0);
  tick.lineTo(8.0, 13.0);
  tick.lineTo(16.5, 4.0);

  const auto draw = [&](QPointF offset, QColor paper, QColor ink, QColor tickColour) {
    p.save();
    p.translate(offset);
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawPath(sheet);
    p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 5.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 5.5));
    p.setPen(QPen(tickColour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    p.restore();
  };
  if (enabled) {
    draw({0, 0}, Qt::white, QColor(64, 64, 64), QColor(0, 128, 0));
  } else {
    draw({1, 1}, Qt::transparent, Qt::white, Qt::white);
    draw({0, 0}, Qt::transparent, QColor(128, 128, 128), QColor(128, 128, 128));
  }
  return pixmap;
}

}  // namespace

QIcon CreateBMIcon() {
  QIcon icon;
  icon.addPixmap(CreateBMGlyph(true), QIcon::Normal);
  icon.addPixmap(CreateBMGlyph(false), QIcon::Disabled);
  return icon;
}

}  // namespace zarn
