#include "Mainwin/PaletteWindow.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

#include "Mainwin/shell/DesignScale.h"

namespace zarn {

namespace {

constexpr int kColumns = 16;
constexpr int kDesignCell = 18;
constexpr const char* kNoPalette = "There is no palette.";
constexpr const char* kClickHint = "Click a colour to highlight its pixels.";

QColor ColourOf(const TRGBQuad& q) {
  return QColor(q.Red, q.Green, q.Blue);
}

}  // namespace

// The 16 x 16 cells. It paints and answers the pointer; the window holds the facts.
class TPaletteGrid : public QWidget {
 public:
  explicit TPaletteGrid(TPaletteWindow* window) : QWidget(window), window_(window) {
    setObjectName(QStringLiteral("PaletteGrid"));
    cell_ = DesignSize(this, kDesignCell, 0).width();
    setFixedSize(kColumns * cell_ + 1, kColumns * cell_ + 1);
    setAccessibleName(QStringLiteral("Palette colours"));
    // The keys choose colours as clicks do, so that the grid serves without a pointer too.
    setFocusPolicy(Qt::StrongFocus);
  }
  int CellAt(QPoint at) const {
    if (at.x() < 0 || at.y() < 0) return -1;
    const int column = at.x() / cell_;
    const int row = at.y() / cell_;
    return column < kColumns && row < kColumns ? row * kColumns + column : -1;
  }
  void SetShown(const TInspected* image) {
    image_ = image;
    update();
  }

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) {
      const auto* help = static_cast<QHelpEvent*>(e);
      const int index = CellAt(help->pos());
      if (index >= 0 && window_->HasPalette()) {
        QToolTip::showText(help->globalPos(), window_->CellText(index), this, CellRect(index));
      } else {
        QToolTip::hideText();
      }
      return true;
    }
    return QWidget::event(e);
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && window_->HasPalette())
      window_->ChooseHighlight(CellAt(e->position().toPoint()));
  }
  void keyPressEvent(QKeyEvent* e) override {
    const int next = window_->HasPalette() ? CellAfterKey(window_->Highlight(), e->key()) : -2;
    if (next == -2) {
      QWidget::keyPressEvent(e);
      return;
    }
    window_->ChooseHighlight(next);
  }
  void focusInEvent(QFocusEvent* e) override {
    update();
    QWidget::focusInEvent(e);
  }
  void focusOutEvent(QFocusEvent* e) override {
    update();
    QWidget::focusOutEvent(e);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (!window_->HasPalette()) return;
    const TBMPalette& palette = *image_->Palette;
    for (int i = 0; i < kCells; ++i) {
      const QRect r = CellRect(i);
      p.fillRect(r, ColourOf(palette[static_cast<std::size_t>(i)]));
      if (i == image_->Transparent) DrawTransparentMark(p, r);
    }
    p.setPen(QColor(96, 96, 96));
    for (int k = 0; k <= kColumns; ++k) {
      p.drawLine(k * cell_, 0, k * cell_, kColumns * cell_);
      p.drawLine(0, k * cell_, kColumns * cell_, k * cell_);
    }
    if (window_->Highlight() >= 0) {
      const QRect r = CellRect(window_->Highlight());
      p.setPen(QPen(Qt::black, 3));
      p.drawRect(r.adjusted(-1, -1, 1, 1));
      p.setPen(QPen(Qt::white, 1));
      p.drawRect(r.adjusted(-1, -1, 1, 1));
    }
    if (hasFocus()) {
      p.setPen(QPen(QWidget::palette().color(QPalette::Highlight), 1, Qt::DashLine));
      p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }

 private:
  static constexpr int kCells = kColumns * kColumns;
  // The cell a key moves to from `from` (-1: none chosen yet): the arrows step to the next cell
  // and stop at the edges, Home and End go to the first and last, Escape chooses none; -2 for
  // any other key.
  static int CellAfterKey(int from, int key) {
    const int column = from % kColumns;
    switch (key) {
      case Qt::Key_Left:
        return from < 0 ? 0 : column > 0 ? from - 1 : from;
      case Qt::Key_Right:
        return from < 0 ? 0 : column < kColumns - 1 ? from + 1 : from;
      case Qt::Key_Up:
        return from < 0 ? 0 : from >= kColumns ? from - kColumns : from;
      case Qt::Key_Down:
        return from < 0 ? 0 : from < kCells - kColumns ? from + kColumns : from;
      case Qt::Key_Home:
        return 0;
      case Qt::Key_End:
        return kCells - 1;
      case Qt::Key_Escape:
        return -1;
      default:
        return -2;
    }
  }
  QRect CellRect(int index) const {
    return QRect((index % kColumns) * cell_, (index / kColumns) * cell_, cell_, cell_);
  }
  // The lower right half of the cell shows the checkerboard of transparent pixels.
  void DrawTransparentMark(QPainter& p, const QRect& r) const {
    const int half = std::max(2, cell_ / 4);
    for (int y = r.top(); y <= r.bottom(); y += half) {
      for (int x = r.left(); x <= r.right(); x += half) {
        if ((x - r.left()) + (y - r.top()) < r.width()) continue;
        const bool light = ((x - r.left()) / half + (y - r.top()) / half) % 2 == 0;
        p.fillRect(QRect(x, y, half, half) & r,
                   QColor::fromRgb(light ? kCheckerLight : kCheckerDark));
      }
    }
  }

  TPaletteWindow* window_;
  const TInspected* image_ = nullptr;
  int cell_ = kDesignCell;
};

TPaletteWindow::TPaletteWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(QStringLiteral("PaletteWindow"));
  setWindowTitle(QStringLiteral("Palette"));
  auto* column = new QVBoxLayout(this);
  column->setSizeConstraint(QLayout::SetFixedSize);
  grid_ = new TPaletteGrid(this);
  column->addWidget(grid_);
  info_ = new QLabel(this);
  info_->setObjectName(QStringLiteral("PaletteInfo"));
  info_->setTextFormat(Qt::PlainText);
  info_->setWordWrap(true);
  info_->setFixedWidth(grid_->width());
  // Two lines' room, so that the window keeps its size whatever the text.
  info_->setMinimumHeight(2 * info_->fontMetrics().lineSpacing());
  info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  column->addWidget(info_);
  SetImage({});
}

void TPaletteWindow::SetImage(const TInspected& image) {
  image_ = image;
  usage_ = UsageCounts(image);
  if (!HasPalette()) highlight_ = -1;
  grid_->SetShown(&image_);
  UpdateInfo();
}

bool TPaletteWindow::HasPalette() const {
  return !image_.Empty() && image_.Form == EPixelForm::Index8 && image_.Palette != nullptr;
}

void TPaletteWindow::ChooseHighlight(int index) {
  if (!HasPalette()) index = -1;
  if (index == highlight_) return;
  highlight_ = index;
  grid_->update();
  UpdateInfo();
  emit HighlightChanged(index);
}

QString TPaletteWindow::CellText(int index) const {
  return QString::fromStdString(PaletteEntryText(image_, usage_, index));
}

QString TPaletteWindow::InfoText() const {
  return info_->text();
}

int TPaletteWindow::CellAt(QPoint at) const {
  return grid_->CellAt(at);
}

QWidget* TPaletteWindow::Grid() const {
  return grid_;
}

void TPaletteWindow::UpdateInfo() {
  if (!HasPalette()) {
    info_->setText(QLatin1String(kNoPalette));
  } else if (highlight_ >= 0) {
    info_->setText(CellText(highlight_));
  } else {
    info_->setText(QLatin1String(kClickHint));
  }
  grid_->setAccessibleDescription(info_->text());
}

void TPaletteWindow::mousePressEvent(QMouseEvent* event) {
  // Empty space around the grid ends the highlight.
  if (event->button() == Qt::LeftButton) ChooseHighlight(-1);
}

void TPaletteWindow::hideEvent(QHideEvent* event) {
  // A highlight without its window would leave the image dimmed with nothing to undo it.
  ChooseHighlight(-1);
  QWidget::hideEvent(event);
}

}  // namespace zarn
