// The main window driven headless through scripted dialogs and a recording help layer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <tuple>

#include <sys/stat.h>

#include "FakeDialogs.h"
#include "GuiPrinters.h"
#include "Mainwin/MainWindow.h"
#include "Mainwin/PaletteWindow.h"
#include "Mainwin/shell/BitmapImage.h"
#include "Mainwin/shell/DesignScale.h"
#include "Mainwin/shell/HelpContext.h"
#include "Mainwin/shell/Readout.h"
#include "Mainwin/shell/SpinEdit.h"
#include "RecordingHelp.h"
#include "TestFiles.h"
#include "codec/Colour.h"
#include "codec/Png.h"
#include "codec/files/CodecFiles.h"

namespace zarn::test {
namespace {

namespace fs = std::filesystem;

// ---- BM files for the tests ----------------------------------------------------------------

struct TSize {
  int W;
  int H;
};

BMFileParts Bm8(std::vector<TSize> sizes, bool withPalette, std::uint8_t seed = 7) {
  BMFileParts parts;
  parts.Header.PaletteMode = withPalette ? 2 : 1;
  parts.Header.ImageCount = static_cast<std::int32_t>(sizes.size());
  for (const TSize s : sizes) {
    parts.Images.push_back({s.W, s.H, Pattern(static_cast<std::size_t>(s.W * s.H), seed++)});
  }
  if (withPalette) parts.Trailer = TestTriples(11);
  return parts;
}

BMFileParts Bm16(std::vector<TSize> sizes, std::uint8_t seed = 21) {
  BMFileParts parts;
  parts.Header = Header16();
  parts.Header.ImageCount = static_cast<std::int32_t>(sizes.size());
  for (const TSize s : sizes) {
    parts.Images.push_back({s.W, s.H, Pattern(static_cast<std::size_t>(2 * s.W * s.H), seed++)});
  }
  return parts;
}

// The colours an 8-bit image shows with a triple palette, rows top to bottom.
std::vector<QRgb> Colours8(const BMImageParts& image, const Bytes& triples) {
  std::vector<QRgb> out;
  for (const std::uint8_t index : image.Pixels) {
    const std::size_t i = std::size_t{index} * 3;
    out.push_back(qRgb(triples[i], triples[i + 1], triples[i + 2]));
  }
  return out;
}

std::vector<QRgb> Colours16(const BMImageParts& image) {
  std::vector<QRgb> out;
  for (std::size_t i = 0; i + 1 < image.Pixels.size(); i += 2) {
    std::uint8_t r = 0, g = 0, b = 0;
    Rgb565ToRgb(image.Pixels[i], image.Pixels[i + 1], r, g, b);
    out.push_back(qRgb(r, g, b));
  }
  return out;
}

std::vector<QRgb> ImageColours(const QImage& image) {
  std::vector<QRgb> out;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      out.push_back(image.pixel(x, y));
  }
  return out;
}

QStringList Lines(const QPlainTextEdit* memo) {
  return memo->toPlainText().split(u'\n', Qt::SkipEmptyParts);
}

QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

// A modal window stand-in that closes itself as soon as it runs.
class TSelfClosingDialog : public QDialog {
 public:
  int Runs = 0;
  int exec() override {
    ++Runs;
    QTimer::singleShot(0, this, &QDialog::reject);
    return QDialog::exec();
  }
};

// ---- Fixture -------------------------------------------------------------------------------

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { window = std::make_unique<TMainWindow>(dialogs, help); }

  template <class T>
  T* Child(const char* name) const {
    T* w = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QPlainTextEdit* BMInfo() const { return Child<QPlainTextEdit>("BMInfo"); }
  QPlainTextEdit* ImageInfo() const { return Child<QPlainTextEdit>("ImageInfo"); }
  TImageView* Image() const { return Child<TImageView>("Image"); }
  TSpinEdit* Selector() const { return Child<TSpinEdit>("SEImageNum"); }
  QAction* Action(const char* name) const { return Child<QAction>(name); }
  QPushButton* Button(const char* name) const { return Child<QPushButton>(name); }

  fs::path Write(const std::string& name, const Bytes& bytes) const {
    const fs::path path = dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }
  fs::path WriteBM(const std::string& name, const BMFileParts& parts) const {
    return Write(name, MakeBM(parts));
  }

  // Runs "Open BM" with `path` chosen in the dialog.
  void Open(const fs::path& path) {
    dialogs.AnswerFile(Q(path));
    Action("OpenBM1")->trigger();
  }
  void LoadPalette(const fs::path& path, int filterIndex) {
    dialogs.AnswerFile(Q(path), filterIndex);
    Button("BBLoadPal")->click();
  }
  void Export(const fs::path& chosen, int filterIndex = 0) {
    dialogs.AnswerFile(Q(chosen), filterIndex);
    Button("BBbm2bmp")->click();
  }

  TempDir dir;
  TFakeDialogs dialogs;
  TRecordingHelp help;
  std::unique_ptr<TMainWindow> window;
};

// ---- Start -----------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartsClosedWithEveryControlNamedAndPlaced) {
  EXPECT_EQ(window->objectName(), "MainWindow");
  EXPECT_EQ(window->windowTitle(), "Zarn");
  EXPECT_EQ(window->ShownState(), ClosedViewerState());
  EXPECT_TRUE(BMInfo()->toPlainText().isEmpty());
  EXPECT_TRUE(BMInfo()->isReadOnly());
  EXPECT_TRUE(BMInfo()->textInteractionFlags() & Qt::TextSelectableByKeyboard);  // its caret
  EXPECT_TRUE(ImageInfo()->toPlainText().isEmpty());
  EXPECT_FALSE(ImageInfo()->isReadOnly());
  EXPECT_TRUE(Image()->Picture().isNull());
  EXPECT_EQ(Image()->ImageSize(), DesignSize(window.get(), 105, 105));
  EXPECT_EQ(Child<QScrollArea>("ScrollBox1")->widget(), Image());

  const double k = DesignScaleFactor(window.get());
  struct {
    const char* Name;
    QRect Design;
    QString Caption;
  } const controls[] = {
      {"BBbm2bmp", {40, 48, 75, 25}, "BM => BMP"},
      {"BBLoadPal", {40, 16, 75, 25}, "Load Palette"},
      {"BBHelp", {40, 312, 80, 25}, "&Help"},
  };
  for (const auto& c : controls) {
    QPushButton* b = Button(c.Name);
    EXPECT_EQ(b->geometry(),
              DesignRect(c.Design.x(), c.Design.y(), c.Design.width(), c.Design.height(), k))
        << c.Name;
    EXPECT_EQ(b->text(), c.Caption);
  }
  EXPECT_EQ(BMInfo()->geometry(), DesignRect(16, 104, 128, 96, k));
  EXPECT_EQ(Selector()->geometry(), DesignRect(56, 216, 48, 22, k));
  EXPECT_EQ(ImageInfo()->geometry(), DesignRect(16, 248, 128, 48, k));
  EXPECT_EQ(Child<QLabel>("Label1")->text(), "BM Info :");
  EXPECT_EQ(Child<QLabel>("Label2")->text(), "Image :");
  EXPECT_EQ(Child<QWidget>("Panel1")->width(), DesignSize(window.get(), 160, 0).width());
}

TEST_F(MainWindowTest, MenuHasItsItemsInOrder) {
  QMenuBar* bar = Child<QMenuBar>("Menu");
  auto captions = [](QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
      out << (a->isSeparator() ? "-" : a->text());
    return out;
  };
  QMenu* file = Child<QMenu>("FileMenu");
  QMenu* edit = Child<QMenu>("EditMenu");
  QMenu* view = Child<QMenu>("ViewMenu");
  QMenu* help1 = Child<QMenu>("Help1");
  ASSERT_EQ(bar->actions(), QList<QAction*>({file->menuAction(), edit->menuAction(),
                                             view->menuAction(), help1->menuAction()}));
  EXPECT_EQ(file->title(), "&File");
  EXPECT_EQ(edit->title(), "&Edit");
  EXPECT_EQ(view->title(), "&View");
  EXPECT_EQ(help1->title(), "&Help");
  EXPECT_EQ(captions(file), QStringList({"&Open BM", "&New BM", "&Close BM", "&Export Palette...",
                                         "-", "E&xit"}));
  EXPECT_EQ(captions(edit), QStringList({"&Copy Image"}));
  EXPECT_EQ(captions(view),
            QStringList({"Zoom &In", "Zoom &Out", "&Actual Size", "-", "25 %", "50 %", "100 %",
                         "200 %", "300 %", "400 %", "600 %", "800 %", "1600 %", "-", "&Palette",
                         "Show &Transparency"}));
  EXPECT_EQ(captions(help1), QStringList({"&Overview", "&Contents", "-", "&About"}));
  for (QAction* a : file->actions() + help1->actions())
    EXPECT_TRUE(a->shortcut().isEmpty());
  EXPECT_EQ(Action("CopyImage1")->shortcut(), QKeySequence("Ctrl+C"));
  EXPECT_EQ(Action("ZoomIn1")->shortcut(), QKeySequence("Ctrl++"));
  EXPECT_EQ(Action("ZoomOut1")->shortcut(), QKeySequence("Ctrl+-"));
  EXPECT_EQ(Action("ActualSize1")->shortcut(), QKeySequence("Ctrl+0"));
  // Off until asked for; the palette window opens whatever is shown.
  EXPECT_FALSE(Action("ShowTransparency1")->isChecked());
  EXPECT_TRUE(Action("Palette1")->isEnabled());
}

TEST_F(MainWindowTest, TabOrderFollowsThePanel) {
  const char* order[] = {"BMInfo", "BBbm2bmp", "BBLoadPal", "SEImageNum", "ImageInfo", "BBHelp"};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget* w = Child<QWidget>(order[i]);
    // Skip what Tab does not stop at: labels, and the parts of the control itself.
    QWidget* next = w->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus) || w->isAncestorOf(next)) {
      next = next->nextInFocusChain();
    }
    EXPECT_EQ(next->objectName(), order[i + 1]) << "after " << order[i];
  }
  // The memos pass Tab on rather than take it as a character.
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  ImageInfo()->setFocus();
  QTest::keyClick(ImageInfo(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button("BBHelp"));
  EXPECT_TRUE(ImageInfo()->toPlainText().isEmpty());
}

// ---- Open BM ---------------------------------------------------------------------------------

struct TOpenCase {
  const char* Name;
  BMFileParts File;
  QStringList Info;
  TViewerState State;
  QSize Shown;  // size of the shown image, or invalid when nothing is shown
};

TEST_F(MainWindowTest, OpenShowsEachKindOfBM) {
  BMFileParts paletted = Bm8({{4, 3}, {2, 5}}, true);
  paletted.Header.XOffset = -3;
  BMFileParts unpaletted = Bm8({{6, 2}}, false);
  unpaletted.Header.YOffset = 17;
  BMFileParts colour16 = Bm16({{3, 2}, {5, 1}, {1, 1}});
  BMFileParts deep;
  deep.Header.BitsPerPixel = 24;
  deep.Header.ImageCount = 2;
  BMFileParts empty = Bm8({}, true);
  BMFileParts single = Bm8({{7, 7}}, true);

  const TOpenCase cases[] = {
      {"paletted",
       paletted,
       {"8-bit BM", "2 image(s) in BM", "Palette Included : Yes", "X-Offset : -3", "Y-Offset : 0"},
       OpenedViewerState(EBMKind::Paletted8, 2),
       {4, 3}},
      {"unpaletted",
       unpaletted,
       {"8-bit BM", "1 image(s) in BM", "Palette Included : No", "X-Offset : 0", "Y-Offset : 17"},
       OpenedViewerState(EBMKind::Unpaletted8, 1),
       {}},
      {"16-bit",
       colour16,
       {"16-bit BM", "3 image(s) in BM", "Palette Included : N/A", "X-Offset : 0", "Y-Offset : 0"},
       OpenedViewerState(EBMKind::Colour16, 3),
       {3, 2}},
      {"24-bit",
       deep,
       {"24-bit BM", "2 image(s) in BM", "Palette Included : ", "X-Offset : 0", "Y-Offset : 0"},
       OpenedViewerState(EBMKind::Undecodable, 2),
       {}},
      {"no images",
       empty,
       {"8-bit BM", "0 image(s) in BM", "Palette Included : Yes", "X-Offset : 0", "Y-Offset : 0"},
       OpenedViewerState(EBMKind::Paletted8, 0),
       {}},
      {"one image",
       single,
       {"8-bit BM", "1 image(s) in BM", "Palette Included : Yes", "X-Offset : 0", "Y-Offset : 0"},
       OpenedViewerState(EBMKind::Paletted8, 1),
       {7, 7}},
  };
  for (const TOpenCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    dialogs.ClearRecords();
    const fs::path path = WriteBM(std::string(c.Name) + ".BM", c.File);
    Open(path);

    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(window->windowTitle(), "Zarn : " + Q(path));
    EXPECT_EQ(Lines(BMInfo()), c.Info);
    EXPECT_EQ(window->ShownState(), c.State);
    EXPECT_EQ(window->Document().BaseName, path.filename().string());
    if (c.Shown.isValid()) {
      EXPECT_EQ(Image()->ImageSize(), c.Shown);
      EXPECT_EQ(Image()->Picture().size(), c.Shown);
      EXPECT_EQ(Lines(ImageInfo()),
                QStringList({QStringLiteral("Width : %1").arg(c.Shown.width()),
                             QStringLiteral("Height : %1").arg(c.Shown.height())}));
    } else {
      EXPECT_TRUE(Image()->Picture().isNull());
      EXPECT_TRUE(ImageInfo()->toPlainText().isEmpty());
    }
  }
}

TEST_F(MainWindowTest, OpenShowsTheDecodedColours) {
  const BMFileParts paletted = Bm8({{4, 3}}, true);
  Open(WriteBM("p.BM", paletted));
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours8(paletted.Images[0], *paletted.Trailer));

  Action("Close1")->trigger();
  const BMFileParts colour = Bm16({{5, 2}});
  Open(WriteBM("c.BM", colour));
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours16(colour.Images[0]));
}

TEST_F(MainWindowTest, OpenAsksWithTheOpenDialog) {
  dialogs.AnswerCancel();
  Action("OpenBM1")->trigger();
  ASSERT_EQ(dialogs.Requests.size(), 1u);
  const TFileRequest& r = dialogs.Requests[0];
  EXPECT_EQ(r.Id, "BM_Open");
  EXPECT_EQ(r.Mode, EFileDialogMode::Open);
  EXPECT_EQ(r.Title, "Open BM");
  EXPECT_EQ(r.Filters, QStringList({"Jedi Knight BM files (*.BM)"}));
  EXPECT_EQ(r.DefaultSuffix, "BM");
  EXPECT_FALSE(r.PresetName.has_value());
  // Cancelled: nothing changed.
  EXPECT_EQ(window->ShownState(), ClosedViewerState());
  EXPECT_EQ(window->windowTitle(), "Zarn");
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(MainWindowTest, RefusedFilesWarnAndLeaveTheWindowClosed) {
  BMFileParts badSignature = Bm8({{2, 2}}, true);
  badSignature.Header.Signature = std::string("BM\0 ", 4);
  const Bytes whole = MakeBM(Bm8({{8, 8}}, true));
  const Bytes truncated(whole.begin(), whole.begin() + 128 + 8 + 20);
  BMFileParts tooMany = Bm8({}, false);
  tooMany.Header.ImageCount = 22;
  for (int i = 0; i < 22; ++i)
    tooMany.Images.push_back({1, 1, {0}});
  BMFileParts negative = Bm8({}, false);
  negative.Header.ImageCount = 1;
  negative.Images.push_back({-2, 3, {}});

  // A BM over a limit is named by that limit; any other refusal is an invalid BM file.
  const std::string invalid = "Invalid BM file!";
  const std::tuple<const char*, Bytes, std::string> cases[] = {
      {"signature", MakeBM(badSignature), invalid},
      {"truncated", truncated, invalid},
      {"22 images", MakeBM(tooMany), "The BM has 22 images; a BM can hold at most 21 images!"},
      {"negative size", MakeBM(negative), invalid},
      {"empty file", {}, invalid},
  };
  for (const auto& [name, bytes, text] : cases) {
    SCOPED_TRACE(name);
    dialogs.ClearRecords();
    Open(Write("refused.BM", bytes));
    EXPECT_EQ(dialogs.Messages,
              std::vector<TRecordedMessage>{WarningMessage(QString::fromStdString(text))});
    EXPECT_EQ(window->ShownState(), ClosedViewerState());
    EXPECT_EQ(window->windowTitle(), "Zarn");
    EXPECT_TRUE(BMInfo()->toPlainText().isEmpty());
    EXPECT_TRUE(Image()->Picture().isNull());
  }
  // A missing file is refused the same way, and so is a pipe, which is never read (it would
  // wait for a writer for ever).
  const fs::path pipe = dir.File("pipe.BM");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const fs::path& path : {dir.File("missing.BM"), pipe}) {
    dialogs.ClearRecords();
    Open(path);
    EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{WarningMessage("Invalid BM file!")});
  }
}

TEST_F(MainWindowTest, TwentyOneImagesUseTheWholeSelectorRange) {
  std::vector<TSize> sizes;
  for (int i = 0; i < 21; ++i)
    sizes.push_back({i + 1, 2});
  Open(WriteBM("all.BM", Bm8(sizes, true)));
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Paletted8, 21));
  EXPECT_EQ(Selector()->maximum(), 20);
  Selector()->setFocus();
  QTest::keyClick(Selector(), Qt::Key_End);
  QTest::keyClick(Selector(), Qt::Key_Backspace);
  QTest::keyClicks(Selector(), "20");
  EXPECT_EQ(Image()->ImageSize(), QSize(21, 2));
}

// ---- The image selector ------------------------------------------------------------------------

class SelectorTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    parts = Bm16({{1, 1}, {2, 2}, {3, 3}});
    Open(WriteBM("three.BM", parts));
    ASSERT_TRUE(Selector()->isEnabled());
  }
  int ShownImage() const { return Image()->ImageSize().width() - 1; }
  void Type(const QString& text) {
    Selector()->lineEdit()->selectAll();
    QTest::keyClicks(Selector(), text);
  }
  BMFileParts parts;
};

TEST_F(SelectorTest, ArrowsStepWithinTheRange) {
  QTest::keyClick(Selector(), Qt::Key_Up);
  EXPECT_EQ(ShownImage(), 1);
  EXPECT_EQ(Lines(ImageInfo()), QStringList({"Width : 2", "Height : 2"}));
  QTest::keyClick(Selector(), Qt::Key_Up);
  QTest::keyClick(Selector(), Qt::Key_Up);
  EXPECT_EQ(ShownImage(), 2);
  EXPECT_EQ(Selector()->value(), 2);  // no wrap-around
  QTest::keyClick(Selector(), Qt::Key_Down);
  EXPECT_EQ(ShownImage(), 1);
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours16(parts.Images[1]));
}

TEST_F(SelectorTest, TypedTextShowsItsImage) {
  Type("2");
  EXPECT_EQ(ShownImage(), 2);
  // Not a number: image 0.
  Type("-");
  EXPECT_EQ(ShownImage(), 0);
  Type("1");
  EXPECT_EQ(ShownImage(), 1);
  Type("+");
  EXPECT_EQ(ShownImage(), 0);
}

TEST_F(SelectorTest, OutOfRangeShowsTheNearestImageAndIsClampedOnLeaving) {
  QSignalSpy changes(Selector(), &TSpinEdit::UserChanged);
  Type("7");
  EXPECT_EQ(Selector()->lineEdit()->text(), "7");
  EXPECT_EQ(ShownImage(), 2);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(Selector(), &out);
  EXPECT_EQ(Selector()->lineEdit()->text(), "2");
  EXPECT_EQ(Selector()->value(), 2);
  EXPECT_EQ(ShownImage(), 2);
  EXPECT_EQ(changes.count(), 2);  // the keystroke and the replacement
}

TEST_F(SelectorTest, RefusedCharactersLeaveTheText) {
  Type("1");
  QTest::keyClicks(Selector(), "a x");
  EXPECT_EQ(Selector()->lineEdit()->text(), "1");
  EXPECT_EQ(ShownImage(), 1);
}

TEST_F(SelectorTest, SettingTheSelectorFromCodeShowsNothing) {
  Selector()->setValue(2);
  Selector()->setMaximum(1);
  EXPECT_EQ(ShownImage(), 0);
}

// ---- Load Palette ----------------------------------------------------------------------------

class PaletteTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    bm = Bm8({{3, 2}, {2, 4}}, false);
    Open(WriteBM("WALL.BM", bm));
    ASSERT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Unpaletted8, 2));
    dialogs.ClearRecords();
  }
  BMFileParts bm;
};

TEST_F(PaletteTest, FromACMPFileShowsImageZero) {
  const Bytes triples = TestTriples(40);
  LoadPalette(Write("level.CMP", MakeCMP(triples)), 0);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(window->ShownState(), PaletteLoadedViewerState(2));
  EXPECT_EQ(Image()->ImageSize(), QSize(3, 2));
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours8(bm.Images[0], triples));
  EXPECT_EQ(Lines(BMInfo())[2], "Palette Included : No");

  const TFileRequest& r = dialogs.Requests.at(0);
  EXPECT_EQ(r.Id, "PAL_Open");
  EXPECT_EQ(r.Title, "Load Palette");
  EXPECT_EQ(r.Filters,
            QStringList({"Load palette from CMP file (*.CMP)", "Load palette from BM (*.BM)"}));
  EXPECT_EQ(r.DefaultSuffix, "CMP");
}

TEST_F(PaletteTest, FromABMAndAgainDecodesEveryImageAnew) {
  BMFileParts source = Bm8({{1, 1}}, true);
  source.Trailer = TestTriples(50);
  LoadPalette(WriteBM("source.bm", source), 1);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours8(bm.Images[0], *source.Trailer));

  // Show image 1, then load another palette: back to image 0, in the new colours.
  QTest::keyClick(Selector(), Qt::Key_Up);
  EXPECT_EQ(Image()->ImageSize(), QSize(2, 4));
  const Bytes other = TestTriples(60);
  LoadPalette(Write("other.CMP", MakeCMP(other)), 0);
  EXPECT_EQ(window->ShownState(), PaletteLoadedViewerState(2));
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours8(bm.Images[0], other));
  QTest::keyClick(Selector(), Qt::Key_Up);
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours8(bm.Images[1], other));
  EXPECT_TRUE(window->ShownState().LoadPalette);

  // The loaded palette goes out as a palette file: the filter entry names the kind of a name
  // without a known extension (1: Adobe), a known extension names it itself.
  for (const auto& [name, filter, written] :
       {std::tuple{"colours", 1, "colours.act"}, std::tuple{"colours.gpl", 3, "colours.gpl"}}) {
    dialogs.AnswerFile(Q(dir.File(name)), filter);
    window->findChild<QAction*>("ExportPal1")->trigger();
    TBMPalette back{};
    EXPECT_EQ(ReadPaletteFile(dir.File(written), back), std::nullopt) << written;
    EXPECT_EQ(back, PaletteFromTriples(std::span<const std::uint8_t, 768>(other.data(), 768)));
  }
  EXPECT_EQ(dialogs.Requests.back().Id, "PAL_Save");
}

TEST_F(PaletteTest, RefusedFilesShowTwoBoxesAndChangeNothing) {
  const fs::path withoutPalette = WriteBM("nopal.BM", Bm8({{1, 1}}, false));
  const fs::path aBM = WriteBM("pal.BM", Bm8({{1, 1}}, true));
  struct {
    const char* Name;
    fs::path File;
    int Filter;
    const char* Warning;
  } const cases[] = {
      // The CMP entry reads the file as a CMP file, whatever its extension.
      {"BM read as CMP", aBM, 0, "Invalid CMP file!"},
      {"BM without palette", withoutPalette, 1, "BM doesn't contain a Palette!"},
      {"CMP read as BM", Write("x.CMP", MakeCMP(TestTriples())), 1, "Invalid BM file!"},
  };
  const TViewerState before = window->ShownState();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    dialogs.ClearRecords();
    LoadPalette(c.File, c.Filter);
    EXPECT_EQ(dialogs.Messages,
              (std::vector<TRecordedMessage>{WarningMessage(c.Warning),
                                             ErrorMessage("Error retrieving Palette!")}));
    EXPECT_EQ(window->ShownState(), before);
    EXPECT_TRUE(Image()->Picture().isNull());
  }
}

TEST_F(PaletteTest, CancelOrAnUnknownFilterEntryDoNothing) {
  dialogs.AnswerCancel();
  Button("BBLoadPal")->click();
  LoadPalette(Write("level.CMP", MakeCMP(TestTriples())), 2);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Unpaletted8, 2));
  EXPECT_TRUE(Image()->Picture().isNull());
}

// ---- Export ----------------------------------------------------------------------------------

Bytes SavedForm(const TBitmap& bitmap) {
  std::vector<std::uint8_t> out;
  bitmap.SaveToBmpStream(out);
  return out;
}

TEST_F(MainWindowTest, ExportOfOneImageWritesTheChosenNameExactly) {
  Open(WriteBM("WALL.BM", Bm8({{5, 3}}, true)));
  TempDir out;
  dialogs.ClearRecords();
  Export(out.File("mine.BMP"));

  const TFileRequest& r = dialogs.Requests.at(0);
  EXPECT_EQ(r.Id, "BMP_Save");
  EXPECT_EQ(r.Mode, EFileDialogMode::Save);
  EXPECT_EQ(r.Title, "Save BMP");
  EXPECT_EQ(r.Filters, QStringList({"Windows BMP files (*.BMP)", "PNG images (*.png)"}));
  EXPECT_EQ(r.DefaultSuffix, "BMP");
  EXPECT_EQ(r.FilterSuffixes, QStringList({"BMP", "png"}));
  EXPECT_TRUE(r.ConfirmOverwrite);
  EXPECT_EQ(r.PresetName, QString("WALL.BMP"));  // no export yet: the bare name

  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(out.Entries(), std::vector<std::string>{"mine.BMP"});
  EXPECT_EQ(ReadFileBytes(out.File("mine.BMP")), SavedForm(window->Document().Bitmaps[0]));
  EXPECT_EQ(window->Document().ExportDir, out.Path().string() + "/");
}

TEST_F(MainWindowTest, ExportFormatFollowsTheExtensionElseTheFilterEntry) {
  Open(WriteBM("WALL.BM", Bm16({{3, 2}, {1, 1}})));
  const struct {
    const char* Name;
    int FilterIndex;
    bool Png;
  } cases[] = {{"a.PNG", 0, true}, {"b.bmp", 1, false}, {"c", 1, true}, {"d.tga", 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir out;
    Export(out.File(c.Name), c.FilterIndex);
    EXPECT_TRUE(dialogs.Messages.empty());
    const Bytes first = ReadFileBytes(out.File(ExportPathFor(c.Name, 0, 2)));
    EXPECT_EQ(HasPngSignature(first), c.Png);
    if (!c.Png) {
      EXPECT_EQ(first, SavedForm(window->Document().Bitmaps[0]));
    }
  }
}

TEST_F(MainWindowTest, ExportOfSeveralImagesNumbersTheFiles) {
  Open(WriteBM("A.B.BM", Bm16({{2, 2}, {3, 1}})));
  TempDir out;
  const fs::path dotted = out.File("MY.DIR");
  fs::create_directory(dotted);
  dialogs.ClearRecords();
  Export(dotted / "X.Y.BMP");
  EXPECT_EQ(dialogs.Requests.at(0).PresetName, QString("A.B.BMP"));
  EXPECT_TRUE(dialogs.Messages.empty());

  std::vector<std::string> written;
  for (const auto& e : fs::directory_iterator(dotted))
    written.push_back(e.path().filename());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"X_0.Y.BMP", "X_1.Y.BMP"}));
  EXPECT_EQ(ReadFileBytes(dotted / "X_1.Y.BMP"), SavedForm(window->Document().Bitmaps[1]));

  // The folder is remembered for the next export of this BM and of later BMs.
  dialogs.AnswerCancel();
  Button("BBbm2bmp")->click();
  EXPECT_EQ(dialogs.Requests.back().PresetName, Q(dotted / "A.B.BMP"));
  Action("Close1")->trigger();
  Open(WriteBM("wall.bm", Bm8({{1, 1}}, true)));
  dialogs.AnswerCancel();
  Button("BBbm2bmp")->click();
  EXPECT_EQ(dialogs.Requests.back().PresetName, Q(dotted / "wall.BMP"));
}

TEST_F(MainWindowTest, ExportOverExistingNumberedFilesAsksOnceAboutThem) {
  Open(WriteBM("WALL.BM", Bm8({{2, 2}, {2, 2}, {2, 2}}, true)));
  TempDir out;
  WriteFileBytes(out.File("WALL_0.BMP"), Bytes{1});
  WriteFileBytes(out.File("WALL_2.BMP"), Bytes{2});
  dialogs.ClearRecords();
  dialogs.AnswerQuestion(false);
  Export(out.File("WALL.BMP"));
  // The dialog does not ask about WALL.BMP, which is not written.
  EXPECT_FALSE(dialogs.Requests.at(0).ConfirmOverwrite);
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{QuestionMessage(
                                  "WALL_0.BMP and 1 more file already exist. Replace them?")});
  EXPECT_EQ(dialogs.QuestionTitles, std::vector<QString>{"Save BMP"});
  // No: nothing written.
  EXPECT_EQ(ReadFileBytes(out.File("WALL_0.BMP")), Bytes{1});
  EXPECT_FALSE(fs::exists(out.File("WALL_1.BMP")));
  EXPECT_TRUE(window->Document().ExportDir.empty());

  dialogs.AnswerQuestion(true);
  Export(out.File("WALL.BMP"));
  EXPECT_EQ(out.Entries(), (std::vector<std::string>{"WALL_0.BMP", "WALL_1.BMP", "WALL_2.BMP"}));
  EXPECT_EQ(ReadFileBytes(out.File("WALL_0.BMP")), SavedForm(window->Document().Bitmaps[0]));
}

TEST_F(MainWindowTest, ExportErrorEndsAtThatImageInTheErrorBox) {
  Open(WriteBM("W.BM", Bm8({{2, 2}, {2, 2}, {2, 2}}, true)));
  TempDir out;
  // A folder where image 1's file should go cannot be replaced by a file.
  fs::create_directory(out.File("W_1.BMP"));
  dialogs.ClearRecords();
  dialogs.AnswerQuestion(true);  // replace W_1.BMP
  Export(out.File("W.BMP"));

  ASSERT_EQ(dialogs.Messages.size(), 2u);
  EXPECT_EQ(dialogs.Messages[1].Kind, EMessageKind::ProgramError);
  EXPECT_TRUE(dialogs.Messages[1].Text.startsWith("Cannot create file " + Q(out.File("W_1.BMP"))))
      << dialogs.Messages[1].Text.toStdString();
  EXPECT_TRUE(fs::exists(out.File("W_0.BMP")));
  EXPECT_FALSE(fs::exists(out.File("W_2.BMP")));
  EXPECT_TRUE(window->Document().ExportDir.empty());
  // The window goes on as it was.
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Paletted8, 3));

  // A file the user may not replace, or a link that is not to be followed, is refused.
  Action("Close1")->trigger();
  Open(WriteBM("ONE.BM", Bm8({{2, 2}}, true)));
  const RefusedTarget refused = MakeRefusedTarget(out.Path(), "ONE.BMP");
  dialogs.ClearRecords();
  Export(refused.Path);
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{
                                  ProgramErrorMessage(QString::fromStdString(refused.Text))});
  EXPECT_EQ(ReadFileBytes(refused.Victim), (Bytes{1, 2, 3}));
}

TEST_F(MainWindowTest, CancelledExportChangesNothing) {
  Open(WriteBM("W.BM", Bm8({{2, 2}}, true)));
  dialogs.AnswerCancel();
  Button("BBbm2bmp")->click();
  EXPECT_TRUE(window->Document().ExportDir.empty());
  EXPECT_TRUE(dialogs.Messages.empty());
}

// ---- Close and reopen --------------------------------------------------------------------------

TEST_F(MainWindowTest, CloseEmptiesTheWindowAndReopenShowsNothingOld) {
  Open(WriteBM("three.BM", Bm16({{1, 1}, {2, 2}, {3, 3}})));
  QTest::keyClick(Selector(), Qt::Key_Up);
  QTest::keyClick(Selector(), Qt::Key_Up);
  ASSERT_EQ(Image()->ImageSize(), QSize(3, 3));

  Action("Close1")->trigger();
  EXPECT_EQ(window->windowTitle(), "Zarn");
  EXPECT_TRUE(BMInfo()->toPlainText().isEmpty());
  EXPECT_TRUE(ImageInfo()->toPlainText().isEmpty());
  EXPECT_EQ(Image()->ImageSize(), QSize(0, 0));
  TViewerState closed = ClosedViewerState();
  closed.SelectorMax = 2;  // the selector keeps its range and value
  closed.SelectorValue = 2;
  EXPECT_EQ(window->ShownState(), closed);

  Open(WriteBM("nopal.BM", Bm8({{4, 4}}, false)));
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Unpaletted8, 1));
  EXPECT_EQ(Selector()->value(), 0);
  EXPECT_EQ(Image()->ImageSize(), QSize(0, 0));
  EXPECT_TRUE(ImageInfo()->toPlainText().isEmpty());
  EXPECT_EQ(Lines(BMInfo()).size(), 5);
}

TEST_F(MainWindowTest, ReadDocumentShownForTheCreatorUsesItsOwnFirstLine) {
  const fs::path path = WriteBM("new.BM", Bm8({{2, 3}, {1, 1}}, true));
  ASSERT_EQ(ReadDocument(window->Document(), path.string()), std::nullopt);
  window->ShowReadDocument(path.string(), EBMKind::Paletted8, EInfoStyle::Created);
  EXPECT_EQ(Lines(BMInfo()).at(0), "8 bit BM");
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Paletted8, 2));
  EXPECT_EQ(Image()->ImageSize(), QSize(2, 3));
  EXPECT_EQ(window->windowTitle(), "Zarn : " + Q(path));
  EXPECT_EQ(window->Document().BaseName, "new.BM");
}

// ---- Zoom ------------------------------------------------------------------------------------

TEST_F(MainWindowTest, ZoomStaysWhilePagingAndLoadingAPaletteAndGoesBackOnClose) {
  const TImageBox* box = Child<TImageBox>("ScrollBox1");
  // Nothing shown, nothing to zoom: every zoom command waits for an image, as do Show
  // Transparency and Copy Image.
  const char* imageCommands[] = {"ZoomIn1", "ZoomOut1",          "ActualSize1",
                                 "Zoom300", "ShowTransparency1", "CopyImage1"};
  const auto expectImageCommands = [&](bool enabled) {
    for (const char* name : imageCommands)
      EXPECT_EQ(Action(name)->isEnabled(), enabled) << name;
  };
  expectImageCommands(false);
  Open(WriteBM("nopal.BM", Bm8({{3, 2}, {5, 4}}, false)));
  expectImageCommands(false);

  LoadPalette(Write("p.CMP", MakeCMP(TestTriples())), 0);
  expectImageCommands(true);
  Action("ZoomIn1")->trigger();
  Action("ZoomIn1")->trigger();
  EXPECT_EQ(box->Zoom(), 300);
  EXPECT_TRUE(Action("Zoom300")->isChecked());
  EXPECT_EQ(Image()->ImageSize(), QSize(3, 2));
  EXPECT_EQ(Image()->size(), QSize(9, 6));
  EXPECT_EQ(Lines(ImageInfo()), QStringList({"Width : 3", "Height : 2"}));
  QTest::keyClick(Selector(), Qt::Key_Up);
  EXPECT_EQ(Image()->size(), QSize(15, 12));
  EXPECT_EQ(Lines(ImageInfo()), QStringList({"Width : 5", "Height : 4"}));

  // The steps are entries of their own; Zoom In stops at the largest.
  Action("Zoom1600")->trigger();
  EXPECT_FALSE(Action("ZoomIn1")->isEnabled());
  Action("ZoomOut1")->trigger();
  EXPECT_TRUE(Action("Zoom800")->isChecked());
  EXPECT_TRUE(Action("ZoomIn1")->isEnabled());

  Action("Close1")->trigger();
  EXPECT_EQ(box->Zoom(), 100);
  EXPECT_TRUE(Action("Zoom100")->isChecked());
  EXPECT_FALSE(Action("Zoom800")->isChecked());
  expectImageCommands(false);
  Action("ZoomIn1")->trigger();
  QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Child<QScrollArea>("ScrollBox1")->viewport(), &wheel);
  EXPECT_EQ(box->Zoom(), 100);
  Open(WriteBM("W.BM", Bm8({{3, 2}}, true)));
  EXPECT_EQ(Image()->size(), QSize(3, 2));
}

// ---- Inspecting the shown image -------------------------------------------------------------

// An 8-bit BM of two 4 x 3 images with its palette; index 9 is transparent and stands at the
// top left of each image.
BMFileParts InspectedBM() {
  BMFileParts parts = Bm8({{4, 3}, {4, 3}}, true);
  parts.Header.Transparent[0] = 9;
  for (BMImageParts& image : parts.Images) {
    for (std::uint8_t& index : image.Pixels)
      if (index == 9) index = 10;
    image.Pixels[0] = 9;
  }
  parts.Images[1].Pixels[5] = 9;
  return parts;
}

QRgb TripleColour(const Bytes& triples, std::uint8_t index) {
  const std::size_t i = std::size_t{index} * 3;
  return qRgb(triples[i], triples[i + 1], triples[i + 2]);
}

void MovePointer(QWidget* view, QPointF at) {
  QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view, &move);
}

TEST_F(MainWindowTest, ReadoutNamesThePixelUnderThePointerBelowTheImageArea) {
  const BMFileParts parts = InspectedBM();
  Open(WriteBM("I.BM", parts));
  const auto* bar = Child<TReadoutBar>("StatusBar");
  EXPECT_EQ(bar->SizePartText(), "4 x 3");
  EXPECT_EQ(bar->ZoomPartText(), "100 %");
  Action("Zoom400")->trigger();
  EXPECT_EQ(bar->ZoomPartText(), "400 %");

  // At 400 % the point (13, 9) lies in pixel (3, 2); (2, 1) in the transparent pixel (0, 0).
  MovePointer(Image(), QPointF(13, 9));
  const std::uint8_t index = parts.Images[0].Pixels[2 * 4 + 3];
  const QRgb colour = TripleColour(*parts.Trailer, index);
  EXPECT_EQ(bar->PixelText(), QStringLiteral("x 3, y 2; index %1: %2, %3, %4")
                                  .arg(index)
                                  .arg(qRed(colour))
                                  .arg(qGreen(colour))
                                  .arg(qBlue(colour)));
  MovePointer(Image(), QPointF(2, 1));
  EXPECT_TRUE(bar->PixelText().startsWith("x 0, y 0; index 9: ")) << bar->PixelText().toStdString();
  EXPECT_TRUE(bar->PixelText().endsWith("; transparent"));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(Image(), &leave);
  EXPECT_EQ(bar->PixelText(), "");
  EXPECT_EQ(bar->SizePartText(), "4 x 3");

  // The bar is under the image area only: the panel keeps the window's whole height.
  EXPECT_EQ(bar->parentWidget(), Child<QWidget>("Panel1")->parentWidget());
  EXPECT_EQ(bar->geometry().left(), Child<QWidget>("ScrollBox1")->geometry().left());
  Action("Close1")->trigger();
  EXPECT_EQ(bar->SizePartText(), "");
}

TEST_F(MainWindowTest, TransparencyShowsAScreenFixedCheckerboardWhilePagingAndAcrossBMs) {
  const BMFileParts parts = InspectedBM();
  Open(WriteBM("I.BM", parts));
  Action("Zoom1600")->trigger();
  Action("ShowTransparency1")->trigger();
  // Pixel (0, 0) covers 16 x 16 logical pixels: four squares of the checkerboard.
  const auto expectChecker = [&](QPoint pixel) {
    const QImage shot = Image()->grab().toImage();
    const QPoint at = pixel * 16;
    EXPECT_EQ(shot.pixel(at + QPoint(2, 2)), CheckerColour(at.x() + 2, at.y() + 2));
    EXPECT_EQ(shot.pixel(at + QPoint(10, 2)), CheckerColour(at.x() + 10, at.y() + 2));
    EXPECT_NE(CheckerColour(at.x() + 2, at.y() + 2), CheckerColour(at.x() + 10, at.y() + 2));
  };
  expectChecker({0, 0});
  const QImage shot = Image()->grab().toImage();
  EXPECT_EQ(shot.pixel(16 + 4, 4), TripleColour(*parts.Trailer, parts.Images[0].Pixels[1]));

  QTest::keyClick(Selector(), Qt::Key_Up);  // image 1: pixel (1, 1) is transparent too
  expectChecker({1, 1});
  Action("Close1")->trigger();
  Open(WriteBM("J.BM", parts));
  EXPECT_TRUE(Action("ShowTransparency1")->isChecked());
  Action("Zoom1600")->trigger();
  expectChecker({0, 0});

  // Copy Image: the checkerboard while it shows, the indices and the palette otherwise.
  const QImage marked = window->ImageToCopy();
  EXPECT_EQ(marked.size(), QSize(4, 3));
  EXPECT_EQ(marked.pixel(0, 0), CheckerColour(0, 0));
  EXPECT_EQ(marked.pixel(1, 0), TripleColour(*parts.Trailer, parts.Images[0].Pixels[1]));
  Action("ShowTransparency1")->trigger();
  Action("CopyImage1")->trigger();
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.format(), QImage::Format_Indexed8);
  EXPECT_EQ(copied.pixelIndex(0, 0), 9);
  EXPECT_EQ(copied.pixelIndex(3, 2), parts.Images[0].Pixels[11]);
  EXPECT_EQ(copied.color(9), TripleColour(*parts.Trailer, 9));
}

TEST_F(MainWindowTest, PaletteWindowCountsAndHighlightsAndFollowsTheDocument) {
  const BMFileParts parts = InspectedBM();
  Action("Palette1")->trigger();
  auto* palette = window->findChild<TPaletteWindow*>("PaletteWindow");
  ASSERT_NE(palette, nullptr);
  EXPECT_TRUE(palette->isVisible());
  EXPECT_EQ(palette->InfoText(), "There is no palette.");

  Open(WriteBM("I.BM", parts));
  ASSERT_TRUE(palette->HasPalette());
  EXPECT_TRUE(palette->CellText(9).endsWith("; 1 pixel; transparent"))
      << palette->CellText(9).toStdString();
  const std::uint8_t index = parts.Images[0].Pixels[1];
  const auto uses = std::count(parts.Images[0].Pixels.begin(), parts.Images[0].Pixels.end(), index);

  // A click on the cell highlights its pixels: they keep their colour, the others are dimmed.
  QWidget* grid = palette->Grid();
  const int cell = grid->width() / 16;
  QTest::mouseClick(grid, Qt::LeftButton, {},
                    QPoint((index % 16) * cell + cell / 2, (index / 16) * cell + cell / 2));
  EXPECT_EQ(palette->Highlight(), index);
  EXPECT_EQ(palette->InfoText(), palette->CellText(index));
  EXPECT_TRUE(palette->CellText(index).contains(QStringLiteral("; %1 pixel").arg(uses)));
  const QImage shown = Image()->ShownPicture();
  for (int i = 0; i < 12; ++i) {
    const QPoint at(i % 4, i / 4);
    const bool same = shown.pixel(at) == Image()->Picture().pixel(at);
    EXPECT_EQ(same, parts.Images[0].Pixels[static_cast<std::size_t>(i)] == index) << i;
  }
  // The keys choose as clicks do, stopping at the edges; Escape ends the highlight.
  const auto key = [&](Qt::Key k) {
    QTest::keyClick(grid, k);
    return palette->Highlight();
  };
  EXPECT_EQ(key(Qt::Key_Escape), -1);
  EXPECT_EQ(Image()->ShownPicture(), Image()->Picture());
  EXPECT_EQ(key(Qt::Key_Down), 0);
  EXPECT_EQ(key(Qt::Key_Left), 0);
  EXPECT_EQ(key(Qt::Key_Up), 0);
  EXPECT_EQ(key(Qt::Key_End), 255);
  EXPECT_EQ(key(Qt::Key_Right), 255);
  EXPECT_EQ(key(Qt::Key_Down), 255);
  EXPECT_EQ(key(Qt::Key_Up), 239);
  EXPECT_EQ(key(Qt::Key_Left), 238);
  EXPECT_EQ(key(Qt::Key_Home), 0);
  EXPECT_EQ(key(Qt::Key_Right), 1);
  EXPECT_EQ(palette->InfoText(), palette->CellText(1));
  EXPECT_EQ(grid->accessibleDescription(), palette->CellText(1));
  QTest::mouseClick(grid, Qt::LeftButton, {},
                    QPoint((index % 16) * cell + cell / 2, (index / 16) * cell + cell / 2));

  // Paging keeps the highlight over the next image; empty space ends it.
  QTest::keyClick(Selector(), Qt::Key_Up);
  EXPECT_EQ(palette->Highlight(), index);
  EXPECT_TRUE(palette->CellText(9).contains("; 2 pixels")) << palette->CellText(9).toStdString();
  QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(1, 1));
  EXPECT_EQ(palette->Highlight(), -1);
  EXPECT_EQ(Image()->ShownPicture(), Image()->Picture());

  Action("Close1")->trigger();
  EXPECT_FALSE(palette->HasPalette());
  Open(WriteBM("S.BM", Bm16({{3, 2}})));
  EXPECT_EQ(palette->InfoText(), "There is no palette.");
}

// ---- Help, New BM, About ---------------------------------------------------------------------

// ---- Opening from outside: the command line and drops ---------------------------------------

TEST_F(MainWindowTest, CommandLineOpensAsOpenBMDoesAndTheOpenDialogOffersTheName) {
  const fs::path path = WriteBM("WALL.BM", Bm16({{3, 2}}));
  // A name relative to the working folder is shown whole, as the Open dialog gives it.
  const fs::path old = fs::current_path();
  fs::current_path(dir.Path());
  window->OpenFromCommandLine(QStringLiteral("./WALL.BM"));
  fs::current_path(old);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(window->windowTitle(), "Zarn : " + Q(path));
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Colour16, 1));
  EXPECT_EQ(Image()->ImageSize(), QSize(3, 2));
  EXPECT_EQ(Lines(BMInfo()).at(0), "16-bit BM");

  // A refused file: the same warning, the window stays closed, and the next Open dialog (only
  // that one) starts with the refused name.
  Action("Close1")->trigger();
  const fs::path bad = Write("bad.BM", Bytes(20, std::uint8_t{0x78}));
  window->OpenFromCommandLine(Q(bad));
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{WarningMessage("Invalid BM file!")});
  EXPECT_EQ(window->windowTitle(), "Zarn");
  EXPECT_TRUE(window->ShownState().OpenBM);
  EXPECT_FALSE(window->ShownState().Close);
  dialogs.ClearRecords();
  dialogs.AnswerCancel();
  dialogs.AnswerCancel();
  Action("OpenBM1")->trigger();
  Action("OpenBM1")->trigger();
  ASSERT_EQ(dialogs.Requests.size(), 2u);
  EXPECT_EQ(dialogs.Requests[0].PresetName, Q(bad));
  EXPECT_FALSE(dialogs.Requests[1].PresetName.has_value());
}

// Drags `paths` over the window, offering `offered`, and drops them there when the window takes
// them; returns whether it took them. A file manager offers to move as well: the window must
// only ever copy, or link where no copy is offered.
bool DragAndDrop(QWidget* window, const std::vector<fs::path>& paths,
                 Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
  QMimeData data;
  QList<QUrl> urls;
  for (const fs::path& p : paths)
    urls << QUrl::fromLocalFile(Q(p));
  data.setUrls(urls);
  const QPoint at = window->rect().center();
  const Qt::DropAction taken = offered.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::LinkAction;
  QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
  enter.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(window, &enter);
  if (!enter.isAccepted()) return false;
  EXPECT_EQ(enter.dropAction(), taken);
  QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
  drop.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(window, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), taken);
  QCoreApplication::sendPostedEvents();  // the file is taken once the drop has ended
  return true;
}

TEST_F(MainWindowTest, DropsOpenABMOrLoadAPaletteByContentAndRefuseAnythingElse) {
  const BMFileParts unpaletted = Bm8({{3, 2}}, false);
  const Bytes triples = TestTriples(40);
  const fs::path bare = WriteBM("bare.BM", unpaletted);
  const fs::path shown = WriteBM("shown.BM", Bm8({{2, 2}}, true));
  const fs::path cmp = Write("colours.dat", MakeCMP(triples));  // a CMP by its content
  const fs::path text = Write("notes.BM", Bytes(20, std::uint8_t{0x78}));

  // None open: only a BM is taken, and it opens.
  EXPECT_FALSE(DragAndDrop(window.get(), {cmp}));
  EXPECT_FALSE(DragAndDrop(window.get(), {text}));
  EXPECT_FALSE(DragAndDrop(window.get(), {bare, shown}));
  EXPECT_FALSE(DragAndDrop(window.get(), {dir.File("missing.BM")}));
  // A source that offers only to move would see the drop confirmed as a move.
  EXPECT_FALSE(DragAndDrop(window.get(), {bare}, Qt::MoveAction));
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(window->ShownState(), ClosedViewerState());
  ASSERT_TRUE(DragAndDrop(window.get(), {bare}, Qt::LinkAction | Qt::MoveAction));
  EXPECT_EQ(window->windowTitle(), "Zarn : " + Q(bare));
  EXPECT_EQ(window->ShownState(), OpenedViewerState(EBMKind::Unpaletted8, 1));

  // An 8-bit BM without palette open: a CMP or a BM gives its palette, with Load Palette's boxes.
  EXPECT_FALSE(DragAndDrop(window.get(), {text}));
  ASSERT_TRUE(DragAndDrop(window.get(), {bare}));
  EXPECT_EQ(dialogs.Messages,
            (std::vector<TRecordedMessage>{WarningMessage("BM doesn't contain a Palette!"),
                                           ErrorMessage("Error retrieving Palette!")}));
  EXPECT_TRUE(Image()->Picture().isNull());
  dialogs.ClearRecords();
  ASSERT_TRUE(DragAndDrop(window.get(), {cmp}));
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(window->ShownState(), PaletteLoadedViewerState(1));
  EXPECT_EQ(ImageColours(Image()->Picture()), Colours8(unpaletted.Images[0], triples));
  EXPECT_EQ(window->windowTitle(), "Zarn : " + Q(bare));
  EXPECT_TRUE(DragAndDrop(window.get(), {cmp}));  // and again, as Load Palette stays enabled

  // A BM that shows by itself open: nothing is taken.
  Action("Close1")->trigger();
  Open(shown);
  EXPECT_FALSE(DragAndDrop(window.get(), {bare}));
  EXPECT_FALSE(DragAndDrop(window.get(), {cmp}));
  EXPECT_EQ(window->windowTitle(), "Zarn : " + Q(shown));
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(dialogs.UnexpectedFileDialogs, 0);
}

TEST_F(MainWindowTest, HelpCommandsMakeTheirRequests) {
  Button("BBHelp")->click();
  Action("Overview1")->trigger();
  Action("Contents1")->trigger();
  EXPECT_EQ(help.Requests, (std::vector<THelpRequest>{ContextRequest(1), TopicRequest("Overview"),
                                                      ContentsRequest()}));
}

TEST_F(MainWindowTest, F1AsksForTheFocusedControlsContext) {
  Open(WriteBM("nopal.BM", Bm8({{2, 2}, {2, 2}}, false)));
  LoadPalette(Write("p.CMP", MakeCMP(TestTriples())), 0);
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const std::pair<const char*, int> cases[] = {
      {"BBLoadPal", 2}, {"BBbm2bmp", 3}, {"SEImageNum", 1}, {"BMInfo", 1}, {"BBHelp", 1}};
  for (const auto& [name, context] : cases) {
    help.Requests.clear();
    QWidget* w = Child<QWidget>(name);
    w->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(help.Requests, std::vector<THelpRequest>{ContextRequest(context)}) << name;
  }
}

TEST_F(MainWindowTest, NewBMAndAboutRunTheirWindowsModally) {
  TSelfClosingDialog newBM;
  TSelfClosingDialog about;
  window->SetNewBMWindow(&newBM);
  window->SetAboutWindow(&about);
  Action("NewBM1")->trigger();
  Action("About1")->trigger();
  EXPECT_EQ(newBM.Runs, 1);
  EXPECT_EQ(about.Runs, 1);
  EXPECT_EQ(window->ShownState(), ClosedViewerState());
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
  window->show();
  Action("Exit")->trigger();
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace zarn::test
