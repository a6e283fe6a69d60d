#include "Mainwin/shell/DesignScale.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace zarn {

double DesignScaleFactor(const QWidget* widget) {
  const int dpi = widget ? widget->logicalDpiX() : 96;
  return (dpi > 0 ? dpi : 96) / kDesignDpi;
}

int ScaleDesign(int designPixels, double factor) {
  return static_cast<int>(std::lround(designPixels * factor));
}

QRect DesignRect(int left, int top, int width, int height, double factor) {
  const int l = ScaleDesign(left, factor);
  const int t = ScaleDesign(top, factor);
  const int r = ScaleDesign(left + width, factor);
  const int b = ScaleDesign(top + height, factor);
  return QRect(l, t, r - l, b - t);
}

QSize DesignSize(const QWidget* widget, int width, int height) {
  return DesignRect(0, 0, width, height, DesignScaleFactor(widget)).size();
}

void Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(DesignRect(left, top, width, height, DesignScaleFactor(widget)));
}

void PlaceAt(QWidget* widget, int left, int top) {
  const double k = DesignScaleFactor(widget);
  widget->move(ScaleDesign(left, k), ScaleDesign(top, k));
}

QFont DesignFont(const QWidget* widget, int designPixelHeight) {
  QFont font = QApplication::font();
  font.setPixelSize(std::max(1, ScaleDesign(designPixelHeight, DesignScaleFactor(widget))));
  return font;
}

QFont FittedDesignFont(const QWidget* window, const std::vector<TCaptionRoom>& rooms) {
  const double k = DesignScaleFactor(window);
  const auto fits = [&](const QFont& font) {
    const QFontMetrics metrics(font);
    return std::all_of(rooms.begin(), rooms.end(), [&](const TCaptionRoom& r) {
      return metrics.horizontalAdvance(r.Caption) <= ScaleDesign(r.DesignWidth, k) - r.Reserved;
    });
  };
  QFont font = DesignFont(window);
  for (int stretch = 95; stretch >= 70 && !fits(font); stretch -= 5)
    font.setStretch(stretch);
  while (!fits(font) && font.pixelSize() > 8)
    font.setPixelSize(font.pixelSize() - 1);
  return font;
}

QSize DesignClientSize(const QWidget* window, int outerWidth, int outerHeight) {
  return DesignSize(window, outerWidth - kDesignFrameWidth, outerHeight - kDesignFrameHeight);
}

}  // namespace zarn
