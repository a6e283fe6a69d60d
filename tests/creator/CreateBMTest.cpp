// Create BM: the save dialog, the refusals, the bytes written, the hand-over to the viewer, and
// the whole road from the main window's "New BM" to the BM shown in it.
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>

#include "CreatorFixture.h"
#include "Mainwin/MainWindow.h"
#include "codec/BMWriter.h"
#include "codec/Errors.h"
#include "codec/Messages.h"
#include "codec/Png.h"
#include "codec/files/CodecFiles.h"
#include "codec/files/FilePaths.h"

namespace zarn::test {
namespace {

// The bytes the codec encodes for these source files with these options.
struct TLoaded {
  std::vector<TBitmap> Bitmaps;
  std::vector<const TBitmap*> Pointers() const {
    std::vector<const TBitmap*> out;
    for (const TBitmap& b : Bitmaps)
      out.push_back(&b);
    return out;
  }
};
TLoaded LoadAll(const std::vector<fs::path>& files) {
  TLoaded loaded;
  loaded.Bitmaps.resize(files.size());
  for (std::size_t i = 0; i < files.size(); ++i)
    LoadFromBmpFile(loaded.Bitmaps[i], files[i]);
  return loaded;
}

class CreateBMTest : public CreatorTest {
 protected:
  // Presses Create BM with `path` chosen in the save dialog.
  void Create(const fs::path& path) {
    dialogs.AnswerFile(Q(path));
    Button("BBOk")->click();
  }
  void ExpectStillOpenWithItsList(int entries) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(List()->count(), entries);
    EXPECT_TRUE(viewer.Calls.empty());
  }
};

TEST_F(CreateBMTest, EightBitWithPaletteFromOneSource) {
  const fs::path src = Bmp8("one.bmp", 5, 3, 9);
  Add(src);
  Spin("SEXoff")->setValue(3);
  Spin("SEYoff")->setValue(480);
  Spin("SETranspClr")->setValue(200);
  Child<QCheckBox>("CBIncPal")->setChecked(true);
  const fs::path out = dir.File("NEW.BM");
  Create(out);

  ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages[0].Text.toStdString();
  ASSERT_EQ(dialogs.Requests.size(), 2u);
  const TFileRequest& save = dialogs.Requests[1];
  EXPECT_EQ(save.Id, "BM_Save");
  EXPECT_EQ(save.Mode, EFileDialogMode::Save);
  EXPECT_EQ(save.Title, "Save BM");
  EXPECT_EQ(save.Filters, QStringList{"Jedi Knight BM Files (*.BM)"});
  EXPECT_EQ(save.DefaultSuffix, "BM");
  EXPECT_TRUE(save.ConfirmOverwrite);
  EXPECT_FALSE(save.PresetName.has_value());

  Bytes expected;
  EncodeBM8(expected, LoadAll({src}).Pointers(), 3, 480, 200, true);
  EXPECT_EQ(ReadFileBytes(out), expected);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Accepted);
  EXPECT_EQ(viewer.Calls,
            (std::vector<TShowCall>{{out.string(), EBMKind::Paletted8, EInfoStyle::Created}}));
  EXPECT_EQ(viewer.Document().Header.ImageCount, 1);
  EXPECT_EQ(viewer.Document().Header.PaletteMode, kPaletteModeIncluded);
  // Closing does not empty the list; the next showing does.
  EXPECT_EQ(List()->count(), 1);
}

TEST_F(CreateBMTest, MappedTruecolourSourcesAreWrittenInThePaletteWithTheOptionsAtCreate) {
  const Bytes triples = TestTriples(6);
  const fs::path palette = Write("level.cmp", MakeCMP(triples));
  Bytes pixels = Pattern(3 * 4 * 2, 3);
  pixels[0] = 255, pixels[1] = 0, pixels[2] = 255;  // a magenta pixel, keyed below
  const fs::path src = Write("art.bmp", StandardBmp24(4, 2, pixels));
  // Ticking the box without a palette asks for one; a truecolour BMP is then taken.
  dialogs.AnswerFile(Q(palette));
  Child<QCheckBox>("CBMap")->setChecked(true);
  Add(src);
  ASSERT_EQ(List()->count(), 1);
  EXPECT_FALSE(Child<QCheckBox>("CBMap")->isEnabled());
  // Options changed after adding count: they map the source again.
  Spin("SETranspClr")->setValue(4);
  Child<QCheckBox>("CBKey")->setChecked(true);
  Child<QCheckBox>("CBDither")->setChecked(true);
  Child<QCheckBox>("CBIncPal")->setChecked(true);
  const fs::path out = dir.File("MAPPED.BM");
  Create(out);

  ASSERT_TRUE(dialogs.Messages.empty()) << dialogs.Messages[0].Text.toStdString();
  TCreateOptions options;
  options.TransparentIndex = 4;
  options.IncludePalette = true;
  options.MapPalette = PaletteFromTriples(std::span<const std::uint8_t, 768>(triples.data(), 768));
  options.Key = TRgb{255, 0, 255};
  options.Dither = true;
  TSourceImage mapped;
  ASSERT_EQ(LoadConvertedSource(src.string(), options, mapped), std::nullopt);
  Bytes expected;
  const TBitmap* sources[] = {&mapped.Bitmap};
  EncodeBM8(expected, sources, 0, 0, 4, true);
  EXPECT_EQ(ReadFileBytes(out), expected);
  EXPECT_EQ(expected[kBMHeaderSize + kImageRecordHeaderSize], 4);  // the keyed pixel
}

TEST_F(CreateBMTest, EightBitWithoutPaletteIsHandedOverUnpaletted) {
  const fs::path a = Bmp8("a.bmp", 2, 2, 1), b = Bmp8("b.bmp", 4, 1, 2);
  Add(a);
  Add(b);
  Add(a);
  Spin("SETranspClr")->setValue(7);
  const fs::path out = dir.File("nopal.BM");
  Create(out);

  Bytes expected;
  EncodeBM8(expected, LoadAll({a, b, a}).Pointers(), 0, 0, 7, false);
  EXPECT_EQ(ReadFileBytes(out), expected);
  EXPECT_EQ(viewer.Calls,
            (std::vector<TShowCall>{{out.string(), EBMKind::Unpaletted8, EInfoStyle::Created}}));
  EXPECT_EQ(viewer.Document().Header.ImageCount, 3);
}

TEST_F(CreateBMTest, SixteenBitFromThreeSources) {
  Choose16Bit();
  const fs::path a = Bmp24("a.bmp", 3, 2, 1), b = Bmp24("b.bmp", 1, 1, 2),
                 c = Bmp24("c.bmp", 6, 5, 3);
  Add(a);
  Add(c);
  ClickEntry(1);
  Insert(b);  // list order a, b, c
  Spin("SEXoff")->setValue(640);
  Spin("SEYoff")->setValue(1);
  Spin("SERed")->setValue(16);
  Spin("SEGreen")->setValue(32);
  Spin("SEBlue")->setValue(64);
  // Options of the other mode are not used.
  Spin("SETranspClr")->setValue(99);
  const fs::path out = dir.File("true.BM");
  Create(out);

  ASSERT_TRUE(dialogs.Messages.empty());
  Bytes expected;
  EncodeBM16(expected, LoadAll({a, b, c}).Pointers(), 640, 1, 16, 32, 64);
  EXPECT_EQ(ReadFileBytes(out), expected);
  EXPECT_EQ(viewer.Calls,
            (std::vector<TShowCall>{{out.string(), EBMKind::Colour16, EInfoStyle::Created}}));
  EXPECT_EQ(viewer.Document().Header.ImageCount, 3);
  EXPECT_EQ(viewer.Document().Images[2].Width, 6);
}

TEST_F(CreateBMTest, PngPixelsLessThanHalfOpaqueTakeTheColourChosenAtCreate) {
  Choose16Bit();
  const fs::path png = fs::path(ZARN_PNG_SAMPLES) / "rgba-8bit.png";
  const fs::path bmp = Bmp24("b.bmp", 2, 2, 2);
  Add(png);
  Add(bmp);
  Spin("SERed")->setValue(16);
  Spin("SEGreen")->setValue(32);
  Spin("SEBlue")->setValue(64);
  const fs::path out = dir.File("alpha.BM");
  Create(out);

  ASSERT_TRUE(dialogs.Messages.empty());
  TSourceImage source;
  ASSERT_EQ(LoadPngFile(png, 16, source), std::nullopt);
  ASSERT_FALSE(source.ClearPixels.empty());
  PaintClearPixels(source, 16, 32, 64);
  TLoaded loaded = LoadAll({bmp});
  const TBitmap* sources[] = {&source.Bitmap, &loaded.Bitmaps[0]};
  Bytes expected;
  EncodeBM16(expected, sources, 0, 0, 16, 32, 64);
  EXPECT_EQ(ReadFileBytes(out), expected);
}

TEST_F(CreateBMTest, SpinValuesAreTheirTextAndColoursTheirLowEightBits) {
  Choose16Bit();
  const fs::path a = Bmp24("a.bmp");
  Add(a);
  // Typed but not yet confirmed: the text is the value, beyond the range.
  Spin("SERed")->findChild<QLineEdit*>()->setText("300");
  Spin("SEGreen")->findChild<QLineEdit*>()->setText("x");  // not a number: the minimum
  Spin("SEBlue")->findChild<QLineEdit*>()->setText("+17");
  const TCreateOptions options = window->Options();
  EXPECT_EQ(options.Red, 300);
  EXPECT_EQ(options.Green, 0);
  EXPECT_EQ(options.Blue, 17);
  const fs::path out = dir.File("typed.BM");
  dialogs.AnswerFile(Q(out));
  Button("BBOk")->click();
  Bytes expected;
  EncodeBM16(expected, LoadAll({a}).Pointers(), 0, 0, 300 & 0xFF, 0, 17);
  EXPECT_EQ(ReadFileBytes(out), expected);
}

TEST_F(CreateBMTest, PathsBeyondAsciiReachTheFilesTheyName) {
  // UTF-8 names, as the dialogs return them.
  const std::string srcName =
                        "Fl\xC3\xA4"
                        "che \xC3\xBC.bmp",
                    outName = "W\xC3\xA4nd.BM";
  const fs::path src = Write(srcName, Bmp8Bytes(2, 2, 1)), out = dir.File(outName);
  Add(src);
  ASSERT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(Entries(), QStringList{QString::fromUtf8(src.string())});
  Create(out);
  ASSERT_TRUE(dialogs.Messages.empty());
  EXPECT_TRUE(fs::exists(out));
  EXPECT_EQ(viewer.Calls,
            (std::vector<TShowCall>{{out.string(), EBMKind::Unpaletted8, EInfoStyle::Created}}));
}

TEST_F(CreateBMTest, CancelledSaveDialogChangesNothing) {
  Add(Bmp8("a.bmp"));
  dialogs.AnswerCancel();
  Button("BBOk")->click();
  ExpectStillOpenWithItsList(1);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.bmp"});
}

TEST_F(CreateBMTest, MoreThanTwentyOneSourcesAreRefusedAndNothingIsWritten) {
  const fs::path a = Bmp8("a.bmp");
  for (int i = 0; i < 22; ++i)
    Add(a);
  dialogs.ClearRecords();
  Button("BBOk")->click();
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{WarningMessage(kTooManySources)});
  EXPECT_TRUE(dialogs.Requests.empty()) << "no name is asked for a list that cannot be written";
  ExpectStillOpenWithItsList(22);
  EXPECT_FALSE(fs::exists(dir.File("many.BM")));

  // Twenty-one is fine.
  List()->setCurrentRow(0);
  Action("Remove1")->trigger();
  dialogs.ClearRecords();
  Create(dir.File("many.BM"));
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(viewer.Calls.size(), 1u);
  EXPECT_EQ(viewer.Document().Header.ImageCount, 21);
}

TEST_F(CreateBMTest, AFailedWriteIsReportedAndLeavesViewerAndOldFile) {
  Add(Bmp8("a.bmp", 40, 40, 1));
  const fs::path missing = dir.File("no-such-folder") / "x.BM";
  Create(missing);
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{ProgramErrorMessage(
                                  QString::fromStdString(CannotCreateFileText(missing)))});
  ExpectStillOpenWithItsList(1);
  EXPECT_FALSE(fs::exists(missing));

  // A write that fails part way leaves an existing file as it was.
  const fs::path old = Write("old.BM", Bytes{1, 2, 3});
  dialogs.ClearRecords();
  {
    ScopedFileSizeLimit limit(200);
    ASSERT_TRUE(limit.Active());
    Create(old);
  }
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Kind, EMessageKind::ProgramError);
  EXPECT_EQ(ReadFileBytes(old), (Bytes{1, 2, 3}));
  ExpectStillOpenWithItsList(1);

  // A file the user may not replace, or a link that is not to be followed, is refused.
  const RefusedTarget refused = MakeRefusedTarget(dir.Path(), "x.BM");
  dialogs.ClearRecords();
  Create(refused.Path);
  EXPECT_EQ(dialogs.Messages, std::vector<TRecordedMessage>{
                                  ProgramErrorMessage(QString::fromStdString(refused.Text))});
  EXPECT_EQ(ReadFileBytes(refused.Victim), (Bytes{1, 2, 3}));
  ExpectStillOpenWithItsList(1);
}

// ---- Into the real main window ---------------------------------------------------------------

class CreateIntoMainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main = std::make_unique<TMainWindow>(dialogs, help);
    creator = std::make_unique<TNewBMWindow>(*main, dialogs, help, main.get());
    main->SetNewBMWindow(creator.get());
    main->show();
  }

  template <class T>
  T* MainChild(const char* name) const {
    T* w = main->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  template <class T>
  T* CreatorChild(const char* name) const {
    T* w = creator->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QStringList InfoLines() const {
    return MainChild<QPlainTextEdit>("BMInfo")->toPlainText().split(u'\n', Qt::SkipEmptyParts);
  }

  // Runs "New BM" from the main window's menu; `work` runs inside the modal window.
  template <class F>
  void RunNewBM(F work) {
    bool ran = false;
    QTimer::singleShot(0, creator.get(), [&] {
      ran = true;
      if (creator->isVisible()) work();
      if (creator->isVisible()) creator->reject();
    });
    MainChild<QAction>("NewBM1")->trigger();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(creator->isVisible());
  }
  void Add(const fs::path& path) {
    dialogs.AnswerFile(Q(path));
    CreatorChild<QAction>("Add1")->trigger();
  }
  void Create(const fs::path& path) {
    dialogs.AnswerFile(Q(path));
    CreatorChild<QPushButton>("BBOk")->click();
  }
  fs::path Write(const std::string& name, const Bytes& bytes) const {
    const fs::path path = dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }

  TempDir dir;
  TFakeDialogs dialogs;
  TRecordingHelp help;
  std::unique_ptr<TMainWindow> main;
  std::unique_ptr<TNewBMWindow> creator;
};

TEST_F(CreateIntoMainWindowTest, SixteenBitFromThreeSourcesIsShownFromImageZero) {
  const fs::path out = dir.File("WALL.BM");
  RunNewBM([&] {
    QTest::mouseClick(CreatorChild<QRadioButton>("RB16bit"), Qt::LeftButton);
    Add(Write("a.bmp", Bmp24Bytes(4, 3, 1)));
    Add(Write("b.bmp", Bmp24Bytes(2, 2, 2)));
    Add(Write("c.bmp", Bmp24Bytes(1, 5, 3)));
    CreatorChild<TSpinEdit>("SEXoff")->setValue(5);
    Create(out);
  });
  EXPECT_TRUE(dialogs.Messages.empty());
  TViewerState expected = ClosedViewerState();
  expected.OpenBM = expected.NewBM = false;
  expected.Close = true;
  expected.Export = true;
  expected.ImageSelector = true;
  expected.SelectorMax = 2;
  EXPECT_EQ(main->ShownState(), expected);
  EXPECT_EQ(main->windowTitle(), "Zarn : " + Q(out));
  EXPECT_EQ(InfoLines(), QStringList({"16 bit BM", "3 image(s) in BM", "Palette Included : N/A",
                                      "X-Offset : 5", "Y-Offset : 0"}));
  EXPECT_EQ(main->Document().BaseName, "WALL.BM");
  EXPECT_EQ(MainChild<TImageView>("Image")->ImageSize(), QSize(4, 3));
  EXPECT_EQ(MainChild<QPlainTextEdit>("ImageInfo")->toPlainText(), "Width : 4\nHeight : 3");

  // "New BM" stays disabled until "Close BM"; the next showing starts with an empty list.
  EXPECT_FALSE(MainChild<QAction>("NewBM1")->isEnabled());
  MainChild<QAction>("Close1")->trigger();
  RunNewBM([&] { EXPECT_EQ(CreatorChild<QListWidget>("FileList")->count(), 0); });
}

TEST_F(CreateIntoMainWindowTest, EightBitWithoutPaletteWaitsForAPalette) {
  const fs::path out = dir.File("nopal.BM");
  RunNewBM([&] {
    Add(Write("a.bmp", Bmp8Bytes(3, 3, 1)));
    Add(Write("b.bmp", Bmp8Bytes(2, 2, 2)));
    Create(out);
  });
  TViewerState expected = ClosedViewerState();
  expected.OpenBM = expected.NewBM = false;
  expected.Close = true;
  expected.LoadPalette = true;
  expected.SelectorMax = 1;
  EXPECT_EQ(main->ShownState(), expected);
  EXPECT_EQ(InfoLines(), QStringList({"8 bit BM", "2 image(s) in BM", "Palette Included : No",
                                      "X-Offset : 0", "Y-Offset : 0"}));
  EXPECT_TRUE(MainChild<QPlainTextEdit>("ImageInfo")->toPlainText().isEmpty());
  EXPECT_TRUE(MainChild<TImageView>("Image")->Picture().isNull());
}

TEST_F(CreateIntoMainWindowTest, EightBitWithPaletteFromOneSourceIsShown) {
  const fs::path out = dir.File("pal.BM");
  RunNewBM([&] {
    Add(Write("a.bmp", Bmp8Bytes(3, 2, 1)));
    CreatorChild<QCheckBox>("CBIncPal")->setChecked(true);
    Create(out);
  });
  TViewerState expected = ClosedViewerState();
  expected.OpenBM = expected.NewBM = false;
  expected.Close = true;
  expected.Export = true;
  expected.ExportPalette = true;
  EXPECT_EQ(main->ShownState(), expected);
  const QStringList lines = InfoLines();
  ASSERT_EQ(lines.size(), 5) << lines.join(u'|').toStdString();
  EXPECT_EQ(lines[0], "8 bit BM");
  EXPECT_EQ(lines[2], "Palette Included : Yes");
  // The picture shown is the source's, through the palette written from its colour table.
  TBitmap source;
  LoadFromBmpFile(source, dir.File("a.bmp"));
  EXPECT_EQ(MainChild<TImageView>("Image")->Picture(), BitmapToImage(source));
}

TEST_F(CreateIntoMainWindowTest, AFailedWriteLeavesTheViewerClosed) {
  RunNewBM([&] {
    Add(Write("a.bmp", Bmp8Bytes(3, 2, 1)));
    Create(dir.File("missing") / "x.BM");
    EXPECT_TRUE(creator->isVisible());
  });
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Kind, EMessageKind::ProgramError);
  EXPECT_EQ(main->ShownState(), ClosedViewerState());
  EXPECT_EQ(main->windowTitle(), "Zarn");
  EXPECT_TRUE(InfoLines().isEmpty());
}

}  // namespace
}  // namespace zarn::test
