// The windows are laid out in pixels of a 106-pixels-per-inch design. These helpers turn design
// numbers into the widget's logical pixels. Positions scale by their edges, not by their sizes,
// so controls that touch in the design still touch on screen.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

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

// A caption and the room the design gives it: `DesignWidth` design pixels from the caption's
// left edge to its neighbour or its box's edge, less `Reserved` logical pixels that the control
// itself takes there (an indicator, a frame, margins).
struct TCaptionRoom {
  QString Caption;
  int DesignWidth = 0;
  int Reserved = 0;
};
// The font of a window: the design font, narrowed (by stretch first, then by size) until every
// caption fits its room. The design's 8-point face is narrower than the common sans-serif faces
// that stand in for it; this keeps captions inside the boxes they were laid out for.
QFont FittedDesignFont(const QWidget* window, const std::vector<TCaptionRoom>& rooms);

// The outer sizes of the design include a frame of 4 pixels on each side and a title bar of 19
// pixels, which the window system adds around the client area.
inline constexpr int kDesignFrameWidth = 8;
inline constexpr int kDesignFrameHeight = 27;
// The client size of a window whose outer size in the design is `outerWidth` x `outerHeight`.
QSize DesignClientSize(const QWidget* window, int outerWidth, int outerHeight);

}  // namespace zarn
