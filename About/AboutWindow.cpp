#include "About/AboutWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/Program.h"

// The artwork lives in this static library's resources; make sure it is registered.
static void InitAboutResources() {
  Q_INIT_RESOURCE(About);
}

namespace zarn {

namespace {

const QColor kAqua(0, 255, 255);
const QColor kBlue(0, 0, 255);

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  label->setFont(DesignFont(parent));
  return label;
}

// A label centred in a fixed box of the design, its text wrapped within the box.
QLabel* AddBoxLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                    int width, int height) {
  QLabel* label = AddLabel(parent, name, text, kAqua);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setWordWrap(true);
  Place(label, left, top, width, height);
  // A substitute font's lines can be taller than the design's: the box grows downwards rather
  // than cut the last line.
  label->resize(label->width(), std::max(label->height(), label->heightForWidth(label->width())));
  return label;
}

}  // namespace

TAboutWindow::TAboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  InitAboutResources();
  setObjectName(QStringLiteral("AboutWindow"));
  setWindowTitle(QStringLiteral("About Zarn"));
  setWindowIcon(ProgramIcon());
  setModal(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  setPalette(palette);
  setAutoFillBackground(true);
  setFixedSize(DesignSize(this, 232, 261));

  // The pictures, the title face and the OK glyph come when the window is first shown
  // (LoadArtwork).
  auto* strip = new QLabel(this);
  strip->setObjectName(QStringLiteral("Image1"));
  strip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  strip->setScaledContents(true);  // drawn to its box at every screen resolution
  Place(strip, 0, 0, 50, 260);

  QLabel* title = AddLabel(this, "Label1", QStringLiteral("Zarn"), kBlue);
  PlaceAt(title, 64, 8);  // its bold italic face comes with the artwork

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Image2"));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setScaledContents(true);
  Place(picture, 192, 8, 32, 32);

  // Major and minor only, as the caption has always read ("Version 1.2"): a release that only
  // mends leaves it as it was; `zarn --version` gives all three parts.
  const QString shown = QStringLiteral(ZARN_VERSION).section(u'.', 0, 1);
  QLabel* version = AddLabel(this, "Label2", QStringLiteral("Version ") + shown, kAqua);
  version->adjustSize();
  PlaceAt(version, 88, 48);

  AddBoxLabel(this, "Label3", QStringLiteral("Zarn makers\n2026"), 80, 72, 73, 25);
  AddBoxLabel(this, "Label4", QStringLiteral("For the BM images of Jedi Knight"), 52, 112, 137, 25);
  AddBoxLabel(this, "Label5", QStringLiteral("The Zarn workshop\nzarn.example.org"), 52, 168, 137,
              33);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1"));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  ok->setFont(DesignFont(this));
  Place(ok, 80, 224, 75, 25);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutWindow::LoadArtwork() {
  auto* title = findChild<QLabel*>(QStringLiteral("Label1"));
  QFont titleFont = DesignFont(this, 32);
  titleFont.setBold(true);
  titleFont.setItalic(true);
  title->setFont(titleFont);
  title->adjustSize();
  findChild<QLabel*>(QStringLiteral("Image1"))
      ->setPixmap(QPixmap(QStringLiteral(":/about/strip.png")));
  findChild<QLabel*>(QStringLiteral("Image2"))
      ->setPixmap(QPixmap(QStringLiteral(":/about/picture.png")));
  findChild<QPushButton*>(QStringLiteral("BitBtn1"))
      ->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  artworkLoaded_ = true;
}

void TAboutWindow::showEvent(QShowEvent* event) {
  // Loading the title's face, decoding the pictures and looking up the glyph wait until the
  // window is first shown, so that they cost nothing at program start.
  if (!artworkLoaded_) LoadArtwork();
  QDialog::showEvent(event);
  // Centred on the screen, not on the window that opened it.
  if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TAboutWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace zarn
