// The shared window pieces: spin edit, design scaling, bitmap images, help contexts and the
// About window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "About/AboutWindow.h"
#include "GuiPrinters.h"
#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/HelpContext.h"
#include "Mainwin/shell/Program.h"
#include "Mainwin/shell/SpinEdit.h"
#include "PictureBytes.h"
#include "RecordingHelp.h"
#include "TestFiles.h"
#include "codec/Errors.h"

namespace zarn::test {
namespace {

// ---- Spin edit -------------------------------------------------------------------------------

TEST(SpinEditParseTest, ParsesWholeNumbersOnly) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"0", 0},
      {"17", 17},
      {"+5", 5},
      {"-3", -3},
      {" 12 ", 12},
      {"", {}},
      {"-", {}},
      {"+", {}},
      {"1.5", {}},
      {"1-", {}},
      {"--1", {}},
      {"abc", {}},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(TSpinEdit::ParseSaturatingNumber(QString::fromLatin1(text)), expected) << text;
  }
}

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    spin.setRange(10, 20);
    spin.setValue(12);
  }
  void Type(const QString& text) {
    spin.lineEdit()->selectAll();
    QTest::keyClicks(&spin, text);
  }
  void LeaveField() {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&spin, &out);
  }
  TSpinEdit spin;
};

TEST_F(SpinEditTest, ValueIsTheTextWithNonNumbersAsTheMinimum) {
  Type("15");
  EXPECT_EQ(spin.Value(), 15);
  Type("3");  // out of range while typing: kept as typed
  EXPECT_EQ(spin.Value(), 3);
  Type("-");
  EXPECT_EQ(spin.Value(), 10);
  spin.lineEdit()->clear();
  EXPECT_EQ(spin.Value(), 10);
}

TEST_F(SpinEditTest, OnlyNumberCharactersCanBeTyped) {
  Type("1");
  QTest::keyClicks(&spin, "a");
  QTest::keyClicks(&spin, "Z");
  QTest::keyClicks(&spin, " ");
  EXPECT_EQ(spin.lineEdit()->text(), "1");
  QTest::keyClicks(&spin, "5");
  EXPECT_EQ(spin.lineEdit()->text(), "15");
  Type("+");
  EXPECT_EQ(spin.lineEdit()->text(), "+");
  Type(spin.locale().decimalPoint());
  EXPECT_EQ(spin.lineEdit()->text(), spin.locale().decimalPoint());
}

TEST_F(SpinEditTest, LeavingTheFieldClampsAndCountsAsAChange) {
  QSignalSpy changes(&spin, &TSpinEdit::UserChanged);
  Type("35");
  EXPECT_EQ(changes.count(), 2);  // one per keystroke
  LeaveField();
  EXPECT_EQ(spin.lineEdit()->text(), "20");
  EXPECT_EQ(spin.value(), 20);
  EXPECT_EQ(changes.count(), 3);

  Type("4");
  LeaveField();
  EXPECT_EQ(spin.lineEdit()->text(), "10");

  // A number in range, or text that already reads as the minimum, is no change on leaving.
  changes.clear();
  Type("");
  spin.lineEdit()->setText("13");
  LeaveField();
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(spin.value(), 13);
}

TEST_F(SpinEditTest, EnterClampsLikeLeaving) {
  Type("50");
  QTest::keyClick(&spin, Qt::Key_Return);
  EXPECT_EQ(spin.lineEdit()->text(), "20");
  EXPECT_EQ(spin.Value(), 20);
}

TEST_F(SpinEditTest, ArrowsStepByOneWithoutWrapping) {
  QSignalSpy changes(&spin, &TSpinEdit::UserChanged);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 13);
  QTest::keyClick(&spin, Qt::Key_Down);
  QTest::keyClick(&spin, Qt::Key_Down);
  QTest::keyClick(&spin, Qt::Key_Down);
  QTest::keyClick(&spin, Qt::Key_Down);
  EXPECT_EQ(spin.Value(), 10);
  EXPECT_EQ(changes.count(), 4);  // the last press was at the bound: no change
  spin.setValue(20);
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 20);
  // From text that is not a number, the step starts at the minimum.
  Type("-");
  QTest::keyClick(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 11);
}

TEST_F(SpinEditTest, ChangesFromCodeAreNotUserChanges) {
  QSignalSpy changes(&spin, &TSpinEdit::UserChanged);
  spin.setValue(18);
  spin.setMaximum(15);
  spin.setMinimum(16);
  spin.setRange(0, 5);
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(spin.Value(), spin.value());
}

// ---- Design scaling --------------------------------------------------------------------------

TEST(DesignScaleTest, ScalesEdgesSoTouchingControlsStayTouching) {
  const double k = 96.0 / 106.0;
  const QRect a = DesignRect(40, 16, 75, 25, k);
  const QRect b = DesignRect(40, 41, 75, 25, k);  // directly below a in the design
  EXPECT_EQ(a.bottom() + 1, b.top());
  EXPECT_EQ(a, QRect(36, 14, 68, 23));
  EXPECT_EQ(DesignRect(10, 10, 20, 20, 1.0), QRect(10, 10, 20, 20));
  EXPECT_EQ(DesignRect(0, 0, 232, 261, 2.0).size(), QSize(464, 522));
}

// ---- Bitmap images ---------------------------------------------------------------------------

TEST(BitmapImageTest, EmptyBitmapGivesEmptyImage) {
  EXPECT_TRUE(BitmapToImage(TBitmap{}).isNull());
}

TEST(BitmapImageTest, EightBitPictureUsesItsColourTable) {
  const std::vector<Colour> colours = TestColours(256);
  const Bytes pixels = {0, 1, 2, 255, 7, 8};  // 3 x 2, top row first
  const TBitmap bitmap = LoadedBitmap(StandardBmp8(3, 2, pixels, colours, 0xAA));
  const QImage image = BitmapToImage(bitmap);
  ASSERT_EQ(image.size(), QSize(3, 2));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const Colour& c = colours[pixels[static_cast<std::size_t>(y * 3 + x)]];
      EXPECT_EQ(image.pixel(x, y), qRgb(c.Red, c.Green, c.Blue)) << x << "," << y;
    }
  }
}

TEST(BitmapImageTest, TrueColourPictureKeepsItsRowsTopToBottom) {
  // Blue, green, red per pixel; a 2 x 2 picture of four colours.
  const Bytes pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
  BmpParts parts;
  parts.BitCount = 24;
  parts.Width = 2;
  parts.Height = 2;
  parts.Pixels = pixels;
  for (const bool topDown : {false, true}) {
    parts.TopDown = topDown;
    const QImage image = BitmapToImage(LoadedBitmap(MakeBmp(parts)));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(30, 20, 10));
  }
}

TEST(BitmapImageTest, UnshowableLayoutThrowsTheCodecError) {
  BmpParts parts;
  parts.BitCount = 4;
  parts.Width = 2;
  parts.Height = 1;
  parts.Colours = TestColours(16);
  parts.RawPixelData = Bytes{0x12, 0, 0, 0};
  // The bitmap keeps a 4-bit BMP as it is stored; only showing it is refused.
  TBitmap bitmap;
  ASSERT_NO_THROW(bitmap.LoadFromBmpStream(MakeBmp(parts)));
  EXPECT_THROW(BitmapToImage(bitmap), CodecError);
}

TEST(ImageViewTest, ShowsACopyAtTheSizeItIsGivenTimesTheZoom) {
  TImageView view;
  const TBitmap bitmap = LoadedBitmap(StandardBmp24(4, 3, Pattern(36)));
  view.ShowBitmap(bitmap);
  EXPECT_EQ(view.ImageSize(), QSize(4, 3));
  EXPECT_EQ(view.size(), QSize(4, 3));
  EXPECT_EQ(view.Picture().size(), QSize(4, 3));

  // Zoomed, the size in image pixels stays; each image pixel is drawn as a square block.
  const QImage picture = view.Picture();
  view.SetZoom(200);
  EXPECT_EQ(view.ImageSize(), QSize(4, 3));
  EXPECT_EQ(view.size(), QSize(8, 6));
  const QImage drawn = view.grab().toImage();
  for (const QPoint p : {QPoint(0, 0), QPoint(3, 2), QPoint(1, 1)})
    for (const QPoint d : {QPoint(0, 0), QPoint(1, 1)})
      EXPECT_EQ(drawn.pixel(p * 2 + d), picture.pixel(p)) << p.x() << "," << p.y();
  view.SetZoom(25);
  EXPECT_EQ(view.size(), QSize(1, 1));

  view.SetImageSize(0, 0);
  EXPECT_EQ(view.size(), QSize(0, 0));
  EXPECT_FALSE(view.Picture().isNull());  // hidden by its size, not forgotten
}

// ---- Help contexts ---------------------------------------------------------------------------

TEST(HelpContextTest, NearestNonZeroContextUpToTheWindow) {
  QWidget window;
  auto* panel = new QWidget(&window);
  auto* plain = new QPushButton(panel);
  auto* own = new QPushButton(panel);
  SetHelpContext(&window, 4);
  SetHelpContext(own, 2);
  EXPECT_EQ(HelpContextOf(plain), 4);
  EXPECT_EQ(HelpContextOf(own), 2);
  EXPECT_EQ(HelpContextOf(panel), 4);

  // A window without a context asks for nothing, even inside another window.
  QWidget outer;
  SetHelpContext(&outer, 1);
  QWidget inner(&outer, Qt::Window);
  auto* button = new QPushButton(&inner);
  EXPECT_EQ(HelpContextOf(button), 0);
}

// ---- About window ----------------------------------------------------------------------------

TEST(AboutWindowTest, ShowsItsFixedContentAndClosesWithOK) {
  TAboutWindow about;
  EXPECT_EQ(about.windowTitle(), "About Zarn");
  EXPECT_EQ(about.size(), DesignSize(&about, 232, 261));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  EXPECT_FALSE(about.windowIcon().isNull());
  EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(about.palette().color(QPalette::Window), QColor(Qt::black));

  auto label = [&](const char* name) { return about.findChild<QLabel*>(name); };
  ASSERT_NE(label("Label1"), nullptr);
  EXPECT_EQ(label("Label1")->text(), "Zarn");
  // The build's version, major and minor: "Version 1.3" for 1.3.0.
  const QString version = label("Label2")->text();
  const QRegularExpression majorMinor(QStringLiteral("^Version \\d+\\.\\d+$"));
  EXPECT_TRUE(majorMinor.match(version).hasMatch()) << version.toStdString();
  EXPECT_TRUE(QStringLiteral(ZARN_VERSION).startsWith(version.mid(8) + u'.')) << ZARN_VERSION;
  for (const char* name : {"Label3", "Label4", "Label5"}) {
    ASSERT_NE(label(name), nullptr) << name;
    EXPECT_FALSE(label(name)->text().isEmpty()) << name;
  }
  EXPECT_EQ(ProgramIcon().availableSizes().value(0), QSize(64, 64));
  EXPECT_EQ(CaptionFor("/data/WALL.BM"), "Zarn : /data/WALL.BM");

  auto* ok = about.findChild<QPushButton*>("BitBtn1");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  bool stillShownAfterEscape = false;
  QTimer::singleShot(0, &about, [&] {
    // The artwork is there once the window shows.
    EXPECT_TRUE(label("Label1")->font().bold());
    EXPECT_TRUE(label("Label1")->font().italic());
    EXPECT_EQ(label("Image1")->pixmap().size(), QSize(50, 260));
    EXPECT_EQ(label("Image2")->pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(ok->icon().isNull());
    QTest::keyClick(&about, Qt::Key_Escape);
    stillShownAfterEscape = about.isVisible();
    QTest::keyClick(&about, Qt::Key_Return);
  });
  EXPECT_EQ(about.exec(), QDialog::Accepted);
  EXPECT_TRUE(stillShownAfterEscape);
}

}  // namespace
}  // namespace zarn::test
