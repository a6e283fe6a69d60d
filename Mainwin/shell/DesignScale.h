// The windows are laid out in pixels of a 106-pixels-per-inch design. These helpers turn design
// numbers into the widget's logical pixels. Positions scale by their edges, not by their sizes,
// so controls that touch in the design still touch on screen.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace zarn {

inline constexpr double kDesignDpi = 106.0;

// Logical pixels per design pixel for `widget` (its screen's logical DPI over 106).
double DesignScaleFactor(const QWidget* widget);

// One design coordinate in logical pixels.
int ScaleDesign(int designPixels, double factor);

// The rectangle (left, top, width, height) of the design, scaled by edges.
QRect DesignRect(int left, int top, int width, int height, double factor);
// A size of the design, scaled as a rectangle at the origin.
QSize DesignSize(const QWidget* widget, int width, int height);

// Places `widget` in its parent at the design rectangle.
void Place(QWidget* widget, int left, int top, int width, int height);
// Moves `widget` to the design position, keeping its size (labels sized by their text).
void PlaceAt(QWidget* widget, int left, int top);

// The windows' text size in design pixels. The design's 8-point face is 12 pixels high but
// narrower than the common sans-serif faces; one pixel less keeps its captions and lines inside
// the controls they were laid out for.
inline constexpr int kDesignTextHeight = 11;

// The windows' font: the application's family at `designPixelHeight` pixels of the design.
QFont DesignFont(const QWidget* widget, int designPixelHeight = kDesignTextHeight);

}  // namespace zarn
