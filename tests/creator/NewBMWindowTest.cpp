// The new-BM window without Create BM: its controls, the mode choice, the source list and its
// checks, the preview, what each showing resets, and help.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QWheelEvent>

#include "CreatorFixture.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/Readout.h"
#include "PictureBytes.h"
#include "codec/Errors.h"
#include "codec/Png.h"
#include "codec/files/CodecFiles.h"

namespace zarn::test {
namespace {

// ---- Controls --------------------------------------------------------------------------------

TEST_F(CreatorTest, EveryControlIsNamedCaptionedAndPlaced) {
  EXPECT_EQ(window->objectName(), "NewBMWindow");
  EXPECT_EQ(window->windowTitle(), "Create New BM");
  const double k = DesignScaleFactor(window.get());
  struct {
    const char* Name;
    QRect Design;
    QString Caption;
  } const controls[] = {
      {"RB8bit", {12, 8, 192, 21}, "8-bit BM   (BMPs must be 256 color)"},
      {"RB16bit", {12, 28, 192, 17}, "16-bit BM (BMPs must be truecolor)"},
      {"SEXoff", {56, 56, 48, 22}, "0"},
      {"SEYoff", {160, 56, 48, 22}, "0"},
      {"SETranspClr", {152, 92, 56, 22}, "0"},
      {"SERed", {16, 112, 48, 22}, "255"},
      {"SEGreen", {88, 112, 48, 22}, "0"},
      {"SEBlue", {160, 112, 48, 22}, "255"},
      {"CBIncPal", {64, 124, 97, 17}, "Include Palette"},
      {"FileList", {32, 176, 160, 128}, ""},
      {"Label2", {56, 308, 113, 29}, "Right click above to access menu"},
      {"BBOk", {12, 344, 96, 25}, "Create BM"},
      {"BitBtn2", {112, 344, 96, 25}, "Cancel"},
      {"BBHelp", {64, 376, 96, 25}, "&Help"},
  };
  for (const auto& c : controls) {
    QWidget* w = Child<QWidget>(c.Name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(),
              DesignRect(c.Design.x(), c.Design.y(), c.Design.width(), c.Design.height(), k))
        << c.Name;
    EXPECT_EQ(w->property("text").toString(), c.Caption) << c.Name;
    EXPECT_EQ(w->parentWidget()->objectName(), "Panel1") << c.Name;
  }
  const std::pair<const char*, QString> labels[] = {{"Label3", "X-Offset :"},
                                                    {"Label4", "Y-Offset :"},
                                                    {"Label5", "Transparent colour (0-255) :"},
                                                    {"LabelRed", "R"},
                                                    {"LabelGreen", "G"},
                                                    {"LabelBlue", "B"},
                                                    {"Label1", "BMP File (s) :"}};
  for (const auto& [name, text] : labels)
    EXPECT_EQ(Child<QLabel>(name)->text(), text) << name;

  const std::tuple<const char*, int, int> ranges[] = {{"SEXoff", 0, 640},      {"SEYoff", 0, 480},
                                                      {"SETranspClr", 0, 255}, {"SERed", 0, 255},
                                                      {"SEGreen", 0, 255},     {"SEBlue", 0, 255}};
  for (const auto& [name, min, max] : ranges) {
    EXPECT_EQ(Spin(name)->minimum(), min) << name;
    EXPECT_EQ(Spin(name)->maximum(), max) << name;
  }

  EXPECT_TRUE(Radio("RB8bit")->isChecked());
  EXPECT_FALSE(Radio("RB16bit")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>("CBIncPal")->isChecked());
  EXPECT_EQ(List()->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(List()->toolTip(), "Right-click here");
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(Child<QLabel>("Label2")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
  EXPECT_EQ(Child<QWidget>("Panel1")->width(), DesignSize(window.get(), 224, 0).width());
  EXPECT_EQ(Child<QScrollArea>("ScrollBox1")->widget(), Preview());
  EXPECT_EQ(Preview()->pos(), QPoint(0, 0));
  EXPECT_EQ(Child<QScrollArea>("ScrollBox1")->palette().color(QPalette::Window), Qt::black);
  ExpectListState(false);
}

TEST_F(CreatorTest, CaptionsFitBesideTheirNeighbours) {
  const std::pair<const char*, const char*> besides[] = {
      {"Label3", "SEXoff"}, {"Label4", "SEYoff"}, {"Label5", "SETranspClr"}};
  for (const auto& [label, neighbour] : besides) {
    EXPECT_LE(Child<QLabel>(label)->geometry().right(), Child<QWidget>(neighbour)->x()) << label;
  }
  for (const char* name : {"RB8bit", "RB16bit", "CBIncPal"}) {
    QWidget* w = Child<QWidget>(name);
    EXPECT_LE(w->sizeHint().width(), w->width()) << name;
  }
}

TEST_F(CreatorTest, ButtonsAreDefaultCancelAndHelpWithGlyphs) {
  QPushButton* ok = Button("BBOk");
  EXPECT_TRUE(ok->isDefault());
  const QIcon glyph = ok->icon();
  const QImage enabled = glyph.pixmap(18, 18, QIcon::Normal).toImage();
  const QImage disabled = glyph.pixmap(18, 18, QIcon::Disabled).toImage();
  EXPECT_EQ(enabled.size(), QSize(18, 18));
  EXPECT_EQ(disabled.size(), QSize(18, 18));
  EXPECT_NE(enabled, disabled);

  // Escape closes the window with the result Cancel, as the Cancel button does.
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  window->show();
  Button("BitBtn2")->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Rejected);
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(CreatorTest, TabOrderFollowsTheDesign) {
  const QStringList order = {"BBOk",    "BitBtn2", "RB8bit",     "RB16bit",  "FileList",
                             "BBHelp",  "SEXoff",  "SEYoff",     "CBIncPal", "SERed",
                             "SEGreen", "SEBlue",  "SETranspClr"};
  QStringList seen;
  QWidget* w = Child<QWidget>("BBOk");
  for (int guard = 0; guard < 200 && seen.size() < order.size(); ++guard) {
    if (order.contains(w->objectName()) && !seen.contains(w->objectName())) seen << w->objectName();
    w = w->nextInFocusChain();
  }
  EXPECT_EQ(seen, order);
}

TEST_F(CreatorTest, PopupMenuHasItsFourCommandsInOrder) {
  QMenu* menu = Child<QMenu>("BMPmenu");
  QStringList names, captions;
  for (QAction* a : menu->actions()) {
    names << a->objectName();
    captions << a->text();
  }
  EXPECT_EQ(names, QStringList({"Add1", "Insert1", "Remove1", "Clear1", "", "Paste1"}));
  EXPECT_EQ(captions, QStringList({"&Add", "&Insert", "&Remove", "&Clear", "", "&Paste"}));
  EXPECT_EQ(Action("Paste1")->shortcut(), QKeySequence("Ctrl+V"));
  EXPECT_EQ(List()->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(CreatorTest, PasteAddsTheClipboardPictureCheckedAsAFileSourceIs) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  EXPECT_FALSE(Action("Paste1")->isEnabled());
  QImage truecolour(3, 2, QImage::Format_RGB32);
  truecolour.fill(qRgb(200, 100, 50));
  clipboard->setImage(truecolour);
  EXPECT_TRUE(Action("Paste1")->isEnabled());
  Action("Paste1")->trigger();
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{
                                  WarningMessage("The clipboard's picture is not 256 color!")});
  EXPECT_TRUE(Entries().isEmpty());

  QImage indexed(3, 2, QImage::Format_Indexed8);
  QList<QRgb> colours;
  for (const Colour& c : TestColours(256))
    colours << qRgb(c.Red, c.Green, c.Blue);
  indexed.setColorTable(colours);
  for (int i = 0; i < 6; ++i)
    indexed.setPixel(i % 3, i / 3, static_cast<uint>(40 * i + 7));
  clipboard->setImage(indexed);
  Action("Paste1")->trigger();
  Action("Paste1")->trigger();
  EXPECT_EQ(Entries(), QStringList({"Clipboard 1", "Clipboard 2"}));
  ClickEntry(1);
  EXPECT_EQ(Preview()->Picture(), indexed.convertToFormat(QImage::Format_RGB32));
  // The read-out gives the pasted picture's indices and colours.
  QMouseEvent move(QEvent::MouseMove, QPointF(1.5, 0.5), Preview()->mapToGlobal(QPointF(1.5, 0.5)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Preview(), &move);
  const QRgb colour = colours[47];
  EXPECT_EQ(Child<TReadoutBar>("StatusBar")->PixelText(),
            QStringLiteral("x 1, y 0; index 47: %1, %2, %3")
                .arg(qRed(colour))
                .arg(qGreen(colour))
                .arg(qBlue(colour)));

  Action("Clear1")->trigger();
  Choose16Bit();
  clipboard->setImage(truecolour);
  Action("Paste1")->trigger();
  EXPECT_EQ(Entries(), QStringList({"Clipboard 3"}));
  EXPECT_EQ(dialogs.Messages.size(), 1u);
}

// ---- Mode ------------------------------------------------------------------------------------

TEST_F(CreatorTest, ModeChoiceSwapsTheColourControlsAndKeepsValues) {
  const char* const eightBit[] = {"SETranspClr", "CBIncPal"};
  const char* const sixteenBit[] = {"LabelRed", "SERed",     "LabelGreen",
                                    "SEGreen",  "LabelBlue", "SEBlue"};
  const auto expectMode = [&](bool is8) {
    for (const char* name : eightBit)
      EXPECT_EQ(Child<QWidget>(name)->isVisible(), is8) << name;
    for (const char* name : sixteenBit)
      EXPECT_EQ(Child<QWidget>(name)->isVisible(), !is8) << name;
    EXPECT_TRUE(Child<QWidget>("Label5")->isVisible());
  };
  expectMode(true);
  Spin("SETranspClr")->setValue(9);
  Child<QCheckBox>("CBIncPal")->setChecked(true);
  Choose16Bit();
  EXPECT_TRUE(Radio("RB16bit")->isChecked());
  EXPECT_EQ(window->Mode(), EBMMode::Bit16);
  expectMode(false);
  QTest::mouseClick(Radio("RB8bit"), Qt::LeftButton);
  EXPECT_EQ(window->Mode(), EBMMode::Bit8);
  expectMode(true);
  EXPECT_EQ(Spin("SETranspClr")->Value(), 9);
  EXPECT_TRUE(Child<QCheckBox>("CBIncPal")->isChecked());
}

TEST_F(CreatorTest, ModeLocksWhileTheListHasEntries) {
  Add(Bmp8("a.bmp"));
  ExpectListState(true);
  QTest::mouseClick(Radio("RB16bit"), Qt::LeftButton);
  EXPECT_TRUE(Radio("RB8bit")->isChecked());
  Action("Clear1")->trigger();
  ExpectListState(false);
  Choose16Bit();
  EXPECT_TRUE(Radio("RB16bit")->isChecked());
}

// ---- The check of a source -------------------------------------------------------------------

struct TRefusedSource {
  const char* Name;
  EBMMode Mode;
  Bytes File;
  QString Warning;  // empty: any warning (a reason from the writer's rules)
};

Bytes WithType(Bytes bytes, const char* type) {
  bytes[0] = static_cast<std::uint8_t>(type[0]);
  bytes[1] = static_cast<std::uint8_t>(type[1]);
  return bytes;
}

TEST_F(CreatorTest, RefusedSourcesWarnAndAreNotAdded) {
  BmpParts rle4;
  rle4.BitCount = 8;
  rle4.Width = 4;
  rle4.Height = 1;
  rle4.Compression = 2;
  rle4.Colours = TestColours(256);
  rle4.RawPixelData = Bytes{4, 1, 0, 1};
  BmpParts bitfields;
  bitfields.BitCount = 24;
  bitfields.Width = 2;
  bitfields.Height = 2;
  bitfields.Compression = 3;
  bitfields.Pixels = Pattern(12);
  // A PNG whatever its name (the file is called source.bmp).
  Bytes RgbPng;
  std::vector<std::uint8_t> scratch;
  EncodePng(LoadedBitmap(Bmp24Bytes(2, 2, 1)), RgbPng, scratch);

  const TRefusedSource cases[] = {
      {"truecolour in 8-bit", EBMMode::Bit8, Bmp24Bytes(2, 2, 1), "BMP file is not 256 color!"},
      {"256 colour in 16-bit", EBMMode::Bit16, Bmp8Bytes(2, 2, 1), "BMP file is not truecolor!"},
      {"bad type, 8 bits, 8-bit", EBMMode::Bit8, WithType(Bmp8Bytes(2, 2, 1), "XM"),
       "Invalid BMP file!"},
      {"bad type, 24 bits, 8-bit", EBMMode::Bit8, WithType(Bmp24Bytes(2, 2, 1), "MB"),
       "Invalid BMP file!"},
      {"bad type, 8 bits, 16-bit", EBMMode::Bit16, WithType(Bmp8Bytes(2, 2, 1), "bm"),
       "Invalid BMP file!"},
      {"shorter than the headers", EBMMode::Bit8, Slice(Bmp8Bytes(2, 2, 1), 0, 53),
       "Invalid BMP file!"},
      {"empty file", EBMMode::Bit16, Bytes{}, "Invalid BMP file!"},
      {"RLE4 compression", EBMMode::Bit8, MakeBmp(rle4), ""},
      {"bit fields", EBMMode::Bit16, MakeBmp(bitfields), ""},
      {"over the size limit", EBMMode::Bit8, Bmp8Bytes(1001, 1000, 1), ""},
      {"RGB PNG in 8-bit", EBMMode::Bit8, RgbPng, "PNG file is not 256 color!"},
      {"cut PNG, 16-bit", EBMMode::Bit16, Slice(RgbPng, 0, RgbPng.size() - 20),
       "Invalid PNG file!"},
  };
  for (const TRefusedSource& c : cases) {
    SCOPED_TRACE(c.Name);
    window->hide();
    window->show();
    if (c.Mode == EBMMode::Bit16) Choose16Bit();
    Add(Bmp8("first.bmp"));  // a valid entry (in 8-bit mode) to see that Insert refuses too
    if (c.Mode == EBMMode::Bit16) {
      Action("Clear1")->trigger();
      Add(Bmp24("first.bmp"));
    }
    ASSERT_EQ(List()->count(), 1);
    ClickEntry(0);
    dialogs.ClearRecords();

    const fs::path file = Write("source.bmp", c.File);
    Add(file);
    Insert(file);
    ASSERT_EQ(dialogs.Messages.size(), 2u);
    for (const TRecordedMessage& m : dialogs.Messages) {
      EXPECT_EQ(m.Kind, EMessageKind::Warning);
      if (c.Warning.isEmpty()) {
        EXPECT_FALSE(m.Text.isEmpty());
        EXPECT_NE(m.Text, "Invalid BMP file!");
      } else {
        EXPECT_EQ(m.Text, c.Warning);
      }
    }
    EXPECT_EQ(List()->count(), 1);
    ExpectListState(true);
    Action("Clear1")->trigger();
    QTest::mouseClick(Radio("RB8bit"), Qt::LeftButton);
  }
}

// The picture of 8-bit pixels (rows top to bottom) with a colour table.
QImage Picture8(int w, int h, const Bytes& pixels, const std::vector<Colour>& colours) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Colour& c = colours[pixels[static_cast<std::size_t>(y * w + x)]];
      image.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
    }
  }
  return image;
}

TEST_F(CreatorTest, AcceptedLayoutsAreAddedAndPreviewedAsTheirPicture) {
  const Bytes pixels = {1, 2, 3, 4, 5, 6};  // 3 x 2, rows top to bottom
  BmpParts core;
  core.BitCount = 8;
  core.Width = 3;
  core.Height = 2;
  core.Pixels = pixels;
  core.InfoSize = 12;
  core.Colours = TestColours(256);
  BmpParts topDown = core;
  topDown.InfoSize = 40;
  topDown.TopDown = true;
  BmpParts fewColours = topDown;
  fewColours.TopDown = false;
  fewColours.Colours = TestColours(16);
  BmpParts rle8 = fewColours;
  rle8.Compression = 1;
  // Bottom row first.
  rle8.RawPixelData = Rle8Writer()
                          .Run(1, 4)
                          .Run(1, 5)
                          .Run(1, 6)
                          .EndOfLine()
                          .Run(1, 1)
                          .Run(1, 2)
                          .Run(1, 3)
                          .EndOfBitmap()
                          .Data();
  const std::pair<const char*, const BmpParts*> cases[] = {{"core.bmp", &core},
                                                           {"topdown.bmp", &topDown},
                                                           {"few.bmp", &fewColours},
                                                           {"rle8.bmp", &rle8}};
  for (const auto& [name, parts] : cases)
    Add(Write(name, MakeBmp(*parts)));
  EXPECT_TRUE(dialogs.Messages.empty());
  ASSERT_EQ(List()->count(), 4);
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(cases[row].first);
    ClickEntry(row);
    EXPECT_EQ(Preview()->ImageSize(), QSize(3, 2));
    EXPECT_EQ(Preview()->Picture(), Picture8(3, 2, pixels, cases[row].second->Colours));
  }
}

TEST_F(CreatorTest, ABitmapThatCannotBeLoadedGoesToTheProgramErrorBox) {
  Add(Bmp8("ok.bmp"));
  BmpParts unknownHeader;
  unknownHeader.BitCount = 8;
  unknownHeader.Width = 2;
  unknownHeader.Height = 2;
  unknownHeader.InfoSize = 44;  // passes the check (bit count at 28), no known layout
  unknownHeader.Colours = TestColours(256);
  unknownHeader.Pixels = Pattern(4);
  Add(Write("odd.bmp", MakeBmp(unknownHeader)));
  EXPECT_EQ(dialogs.Messages,
            std::vector<TRecordedMessage>{ProgramErrorMessage(QString(kBitmapNotValid))});
  EXPECT_EQ(Entries(), QStringList{Q(dir.File("ok.bmp"))});
  ExpectListState(true);
}

TEST_F(CreatorTest, CancelledOpenDialogChangesNothing) {
  dialogs.AnswerCancel();
  Action("Add1")->trigger();
  EXPECT_EQ(List()->count(), 0);
  ExpectListState(false);
  ASSERT_EQ(dialogs.Requests.size(), 1u);
  const TFileRequest& r = dialogs.Requests[0];
  EXPECT_EQ(r.Id, "BMP_Open");
  EXPECT_EQ(r.Mode, EFileDialogMode::Open);
  EXPECT_EQ(r.Title, "Select BMP");
  EXPECT_EQ(r.Filters, QStringList({"BMP and PNG images (*.BMP *.png)", "Windows BMP files (*.BMP)",
                                    "PNG images (*.png)"}));
  EXPECT_EQ(r.DefaultSuffix, "BMP");
  EXPECT_FALSE(r.PresetName.has_value());
  EXPECT_TRUE(dialogs.Messages.empty());
}

// ---- List commands ---------------------------------------------------------------------------

TEST_F(CreatorTest, AddAppendsAndTheSameFileMayComeTwice) {
  const fs::path a = Bmp8("a.bmp", 2, 2, 1), b = Bmp8("b.bmp", 4, 3, 2);
  Add(a);
  ExpectListState(true);
  Add(b);
  Add(a);
  EXPECT_EQ(Entries(), QStringList({Q(a), Q(b), Q(a)}));
  const std::vector<const TBitmap*> sources = window->Sources();
  ASSERT_EQ(sources.size(), 3u);
  EXPECT_NE(sources[0], sources[2]);  // each entry owns its own bitmap
  EXPECT_EQ(sources[1]->Width(), 4);
  EXPECT_EQ(sources[2]->StoredForm().size(), sources[0]->StoredForm().size());
  // Adding changes neither selection nor current entry nor preview.
  EXPECT_TRUE(SelectedEntries().isEmpty());
  EXPECT_EQ(Preview()->ImageSize(), QSize(0, 0));
}

TEST_F(CreatorTest, InsertGoesBeforeTheCurrentEntryOnlyWithASelection) {
  const fs::path a = Bmp8("a.bmp"), b = Bmp8("b.bmp"), x = Bmp8("x.bmp"), y = Bmp8("y.bmp");
  Add(a);
  Add(b);
  dialogs.ClearRecords();

  // Nothing selected: nothing at all, not even the dialog.
  Action("Insert1")->trigger();
  EXPECT_TRUE(dialogs.Requests.empty());
  EXPECT_EQ(dialogs.UnexpectedFileDialogs, 0);
  EXPECT_EQ(Entries(), QStringList({Q(a), Q(b)}));

  ClickEntry(0);  // current entry at the top
  Insert(x);
  EXPECT_EQ(Entries(), QStringList({Q(x), Q(a), Q(b)}));
  EXPECT_EQ(CurrentEntry(), Q(a));
  EXPECT_EQ(SelectedEntries(), QStringList{Q(a)});

  ClickEntry(2);
  Insert(y);
  EXPECT_EQ(Entries(), QStringList({Q(x), Q(a), Q(y), Q(b)}));
  EXPECT_EQ(CurrentEntry(), Q(b));
  ExpectListState(true);

  dialogs.AnswerCancel();
  Action("Insert1")->trigger();
  EXPECT_EQ(List()->count(), 4);
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(CreatorTest, RemoveTakesOnlyTheCurrentEntryAndKeepsTheSelection) {
  const fs::path a = Bmp8("a.bmp"), b = Bmp8("b.bmp"), c = Bmp8("c.bmp"), d = Bmp8("d.bmp");
  for (const fs::path& p : {a, b, c, d})
    Add(p);

  // Nothing selected: nothing removed.
  Action("Remove1")->trigger();
  EXPECT_EQ(List()->count(), 4);

  // Three selected, the current one among them.
  ClickEntry(0);
  ClickEntry(2, Qt::ShiftModifier);
  ASSERT_EQ(SelectedEntries(), QStringList({Q(a), Q(b), Q(c)}));
  ASSERT_EQ(CurrentEntry(), Q(c));
  Action("Remove1")->trigger();
  EXPECT_EQ(Entries(), QStringList({Q(a), Q(b), Q(d)}));
  EXPECT_EQ(SelectedEntries(), QStringList({Q(a), Q(b)}));
  ExpectListState(true);
}

TEST_F(CreatorTest, CtrlClickMakesAnUnselectedEntryCurrentForRemove) {
  const fs::path a = Bmp8("a.bmp"), b = Bmp8("b.bmp"), c = Bmp8("c.bmp");
  for (const fs::path& p : {a, b, c})
    Add(p);
  ClickEntry(0);
  ClickEntry(1, Qt::ControlModifier);
  ASSERT_EQ(SelectedEntries(), QStringList({Q(a), Q(b)}));
  ClickEntry(1, Qt::ControlModifier);  // drops B from the selection, B stays current
  EXPECT_EQ(SelectedEntries(), QStringList{Q(a)});
  EXPECT_EQ(CurrentEntry(), Q(b));
  Action("Remove1")->trigger();
  EXPECT_EQ(Entries(), QStringList({Q(a), Q(c)}));
  EXPECT_EQ(SelectedEntries(), QStringList{Q(a)});
}

TEST_F(CreatorTest, RightClickMakesThePointedEntryCurrentBeforeTheMenuOpens) {
  const fs::path a = Bmp8("a.bmp"), b = Bmp8("b.bmp"), c = Bmp8("c.bmp", 5, 4, 3);
  for (const fs::path& p : {a, b, c})
    Add(p);
  ClickEntry(0);
  ClickEntry(1, Qt::ControlModifier);
  QListWidget* list = List();
  const auto rightClick = [list](QPoint at) {
    QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, at);
  };
  const auto centre = [list](int row) { return list->visualItemRect(list->item(row)).center(); };
  // On a selected entry: it becomes current, the selection stays.
  rightClick(centre(0));
  EXPECT_EQ(SelectedEntries(), QStringList({Q(a), Q(b)}));
  EXPECT_EQ(CurrentEntry(), Q(a));
  // On an unselected entry: it alone is selected, current and previewed.
  rightClick(centre(2));
  EXPECT_EQ(SelectedEntries(), QStringList{Q(c)});
  EXPECT_EQ(CurrentEntry(), Q(c));
  EXPECT_EQ(Preview()->ImageSize(), QSize(5, 4));
  // On empty space: the list stays as it is.
  rightClick(QPoint(4, list->viewport()->height() - 4));
  EXPECT_EQ(SelectedEntries(), QStringList{Q(c)});
  EXPECT_EQ(CurrentEntry(), Q(c));

  QMenu* menu = Child<QMenu>("BMPmenu");
  const QPoint onC = centre(2);
  QContextMenuEvent request(QContextMenuEvent::Mouse, onC, list->viewport()->mapToGlobal(onC));
  QApplication::sendEvent(list->viewport(), &request);
  EXPECT_TRUE(menu->isVisible());
  menu->close();
  Action("Remove1")->trigger();
  EXPECT_EQ(Entries(), QStringList({Q(a), Q(b)}));
}

TEST_F(CreatorTest, EmptyingTheListReturnsToTheEmptyStateAndKeepsThePreview) {
  Add(Bmp8("a.bmp", 5, 4, 3));
  ClickEntry(0);
  const QImage shown = Preview()->Picture();
  ASSERT_EQ(Preview()->ImageSize(), QSize(5, 4));
  Action("Remove1")->trigger();
  EXPECT_EQ(List()->count(), 0);
  ExpectListState(false);
  EXPECT_EQ(Preview()->ImageSize(), QSize(5, 4));
  EXPECT_EQ(Preview()->Picture(), shown);
  // Disabled commands do nothing.
  Action("Remove1")->trigger();
  Action("Insert1")->trigger();
  EXPECT_TRUE(dialogs.AllAnswersUsed());
  EXPECT_EQ(dialogs.UnexpectedFileDialogs, 0);

  Add(Bmp8("b.bmp"));
  Add(Bmp8("c.bmp"));
  ClickEntry(1);
  Action("Clear1")->trigger();
  EXPECT_EQ(List()->count(), 0);
  ExpectListState(false);
  EXPECT_EQ(Preview()->ImageSize(), QSize(3, 2));
}

// ---- Preview ---------------------------------------------------------------------------------

TEST_F(CreatorTest, PreviewShowsTheCurrentEntryAtNaturalSize) {
  Choose16Bit();
  const fs::path small = Bmp24("small.bmp", 2, 3, 4), wide = Bmp24("wide.bmp", 700, 5, 6);
  Add(small);
  Add(wide);
  ClickEntry(0);
  EXPECT_EQ(Preview()->ImageSize(), QSize(2, 3));
  TBitmap expected;
  LoadFromBmpFile(expected, small);
  EXPECT_EQ(Preview()->Picture(), BitmapToImage(expected));
  // The read-out under the preview names the pixel under the pointer, at any zoom.
  const auto* bar = Child<TReadoutBar>("StatusBar");
  const auto expectReadout = [&](QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, Preview()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Preview(), &move);
    const QRgb colour = Preview()->Picture().pixel(1, 2);
    EXPECT_TRUE(bar->PixelText().startsWith(QStringLiteral("x 1, y 2; %1, %2, %3 (")
                                                .arg(qRed(colour))
                                                .arg(qGreen(colour))
                                                .arg(qBlue(colour))))
        << bar->PixelText().toStdString();
  };
  expectReadout(QPointF(1.5, 2.5));
  EXPECT_EQ(bar->SizePartText(), "2 x 3");

  // Ctrl + wheel zooms the preview, and the zoom stays for the next entry.
  auto* box = Child<TImageBox>("ScrollBox1");
  QWheelEvent wheel(QPointF(1, 1), box->viewport()->mapToGlobal(QPointF(1, 1)), QPoint(),
                    QPoint(0, 2 * kWheelNotch), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(box->viewport(), &wheel);
  EXPECT_EQ(box->Zoom(), 300);
  EXPECT_EQ(Preview()->size(), QSize(6, 9));
  expectReadout(QPointF(5, 8));

  // The keyboard changes the current entry too.
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(CurrentEntry(), Q(wide));
  EXPECT_EQ(Preview()->ImageSize(), QSize(700, 5));
  // So does a press on one entry dragged onto the next: the preview ends on the entry Remove
  // would take.
  QListWidget* list = List();
  const QPoint first = list->visualItemRect(list->item(0)).center();
  const QPoint second = list->visualItemRect(list->item(1)).center();
  ClickEntry(0);
  ASSERT_EQ(Preview()->ImageSize(), QSize(2, 3));
  QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, first);
  QTest::mouseMove(list->viewport(), second);
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
  EXPECT_EQ(CurrentEntry(), Q(wide));
  EXPECT_EQ(Preview()->ImageSize(), QSize(700, 5));
  EXPECT_EQ(Preview()->size(), QSize(2100, 15));  // the zoom stays
  // Larger than the view: the scroll box scrolls.
  EXPECT_GT(Preview()->width(), Child<QScrollArea>("ScrollBox1")->viewport()->width());

  // The preview holds a copy: removing its entry leaves it.
  const QImage before = Preview()->Picture();
  Action("Remove1")->trigger();
  EXPECT_EQ(Preview()->Picture(), before);
  EXPECT_EQ(Preview()->ImageSize(), QSize(700, 5));
  EXPECT_EQ(Entries(), QStringList{Q(small)});
}

// ---- Showing the window ----------------------------------------------------------------------

TEST_F(CreatorTest, EachShowingResetsTheListAndOptionsButNotModeOrTransparentIndex) {
  for (const bool sixteen : {false, true}) {
    SCOPED_TRACE(sixteen ? "16-bit" : "8-bit");
    if (sixteen) Choose16Bit();
    Spin("SEXoff")->setValue(12);
    Spin("SEYoff")->setValue(34);
    Spin("SETranspClr")->setValue(7);
    Spin("SERed")->setValue(1);
    Spin("SEGreen")->setValue(2);
    Spin("SEBlue")->setValue(3);
    Child<QCheckBox>("CBIncPal")->setChecked(true);
    Add(sixteen ? Bmp24("s.bmp") : Bmp8("s.bmp"));
    ClickEntry(0);
    ASSERT_EQ(Preview()->ImageSize(), QSize(3, 2));
    Child<TImageBox>("ScrollBox1")->ZoomIn();
    Button("BitBtn2")->click();
    // Closing keeps the list until the next showing.
    EXPECT_EQ(List()->count(), 1);

    window->show();
    EXPECT_EQ(List()->count(), 0);
    ExpectListState(false);
    EXPECT_EQ(Spin("SEXoff")->Value(), 0);
    EXPECT_EQ(Spin("SEYoff")->Value(), 0);
    EXPECT_EQ(Spin("SERed")->Value(), 255);
    EXPECT_EQ(Spin("SEGreen")->Value(), 0);
    EXPECT_EQ(Spin("SEBlue")->Value(), 255);
    EXPECT_FALSE(Child<QCheckBox>("CBIncPal")->isChecked());
    EXPECT_EQ(Spin("SETranspClr")->Value(), 7);
    EXPECT_EQ(Preview()->ImageSize(), QSize(0, 0));
    EXPECT_EQ(Child<TImageBox>("ScrollBox1")->Zoom(), 100);
    EXPECT_EQ(window->Mode(), sixteen ? EBMMode::Bit16 : EBMMode::Bit8);
    EXPECT_EQ(Spin("SERed")->isVisible(), sixteen);
    EXPECT_EQ(Spin("SETranspClr")->isVisible(), !sixteen);
  }
}

// ---- Help ------------------------------------------------------------------------------------

TEST_F(CreatorTest, HelpButtonAndF1AskForTopicFour) {
  Button("BBHelp")->click();
  EXPECT_EQ(help.Requests, std::vector<THelpRequest>{ContextRequest(kHelpNewBM)});
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  for (const char* name : {"FileList", "SEXoff", "RB8bit", "BitBtn2", "CBIncPal"}) {
    help.Requests.clear();
    Child<QWidget>(name)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(help.Requests, std::vector<THelpRequest>{ContextRequest(kHelpNewBM)}) << name;
  }
}

}  // namespace
}  // namespace zarn::test
