// The palette window: a non-modal tool window beside the viewer that shows the 256 colours of
// the shown image's palette as a 16 x 16 grid, index 0 at the top left, the transparent index
// marked. Hovering a cell tells its index, colour and how many pixels of the image use it;
// clicking a cell highlights those pixels in the image until another cell or empty space is
// clicked. With the grid focused, the arrow keys, Home and End choose cells as clicks do, and
// Escape ends the highlight. The counts and texts are the inspector's (Mainwin/core/PictureProbe.h).
#pragma once

#include <QWidget>

#include "Mainwin/core/PictureProbe.h"

class QLabel;

namespace zarn {

class TPaletteGrid;

class TPaletteWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TPaletteWindow(QWidget* parent);

  // The picture now shown; a palette shows only for an Index8 picture with its colours, any
  // other (or an empty one) gives the text that there is no palette. A highlight stays while
  // the image has a palette.
  void SetImage(const TInspected& image);
  bool HasPalette() const;

  // The highlighted index, or -1. Choosing one as a click does (-1 for empty space) tells the
  // viewer through HighlightChanged.
  int Highlight() const { return highlight_; }
  void ChooseHighlight(int index);
  // The text of a cell as its tooltip shows it.
  QString CellText(int index) const;
  QString InfoText() const;
  // The cell at a point of the grid widget, or -1 outside every cell.
  int CellAt(QPoint at) const;
  QWidget* Grid() const;

 signals:
  void HighlightChanged(int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void UpdateInfo();

  TPaletteGrid* grid_ = nullptr;
  QLabel* info_ = nullptr;
  TInspected image_;
  TUsage usage_{};
  int highlight_ = -1;
};

}  // namespace zarn
